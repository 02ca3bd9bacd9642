// The reverb measured from its impulse response: decay time by Schroeder's
// backward integration, high-frequency damping, a dense tail, no wet at -96 dB.
#include "engine/dsp/Reverb.h"
#include "test_dsp_signals.h"

#include <gtest/gtest.h>

using namespace vl::engine::dsp;
using namespace vl::engine::dsp::testing;

namespace {

// The wet part of the impulse response (the dry click removed).
Stereo wetResponse(const ReverbParams& p, std::size_t frames, const std::vector<int>& blocks = {256}) {
    Stereo s = impulseResponse<Reverb>(p, frames, blocks);
    s.left[0] -= 1.0f;
    s.right[0] -= 1.0f;
    return s;
}

std::vector<double> energy(const Stereo& s) {
    std::vector<double> e(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        e[i] = static_cast<double>(s.left[i]) * s.left[i] + static_cast<double>(s.right[i]) * s.right[i];
    return e;
}

std::vector<double> bandEnergy(const Stereo& s, double hz) {
    // Three passes, so the slowly decaying bass does not leak into a treble band.
    const auto l = bandPass(bandPass(bandPass(s.left, hz, 1.4), hz, 1.4), hz, 1.4);
    const auto r = bandPass(bandPass(bandPass(s.right, hz, 1.4), hz, 1.4), hz, 1.4);
    std::vector<double> e(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        e[i] = static_cast<double>(l[i]) * l[i] + static_cast<double>(r[i]) * r[i];
    return e;
}

} // namespace

TEST(DspReverb, DecayTimeMatchesTheSetting) {
    for (float timeMs : {1000.0f, 2000.0f, 3000.0f, 4500.0f, 6000.0f}) {
        const Stereo ir =
            wetResponse({0.0f, 0.0f, timeMs, 0.001f}, static_cast<std::size_t>(timeMs * 1.5f * kRate / 1000));
        const double broadband = schroederRt60(energy(ir));
        const double at500 = schroederRt60(bandEnergy(ir, 500.0));
        const double at4k = schroederRt60(bandEnergy(ir, 4000.0));
        EXPECT_NEAR(broadband, timeMs / 1000.0, 0.15 * timeMs / 1000.0) << "broadband at " << timeMs << " ms";
        EXPECT_NEAR(at500, timeMs / 1000.0, 0.15 * timeMs / 1000.0) << "500 Hz band at " << timeMs << " ms";
        EXPECT_LT(at4k, 0.8 * at500) << "the treble dies first";
    }
}

TEST(DspReverb, HighFrequencyRatioDampsTheTreble) {
    const std::size_t frames = 3 * kRate;
    const Stereo dark = wetResponse({0.0f, 0.0f, 2000.0f, 0.001f}, frames);
    const Stereo bright = wetResponse({0.0f, 0.0f, 2000.0f, 0.999f}, frames);
    const double darkTreble = schroederRt60(bandEnergy(dark, 8000.0));
    const double brightTreble = schroederRt60(bandEnergy(bright, 8000.0));
    // The shortest treble decay offered is 300 ms.
    EXPECT_NEAR(darkTreble, 0.3, 0.1);
    EXPECT_GT(brightTreble, 0.8 * 2.0);
    EXPECT_NEAR(schroederRt60(bandEnergy(bright, 500.0)), 2.0, 0.3);
}

TEST(DspReverb, TailIsDenseAndWideAndAsLoudAsTheDry) {
    const Stereo ir = wetResponse({0.0f, 0.0f, 3000.0f, 0.001f}, 3 * kRate, {64, 300});
    // In a dense tail the samples of a short stretch are spread like noise (kurtosis
    // near 3); separate echoes would give a spiky, heavy-tailed stretch.
    for (std::size_t start : {std::size_t(kRate / 10), std::size_t(kRate / 4), std::size_t(kRate)}) {
        const std::size_t len = 2048;
        double m2 = 0, m4 = 0, lr = 0, rr = 0;
        for (std::size_t i = start; i < start + len; ++i) {
            const double x = ir.left[i];
            m2 += x * x;
            m4 += x * x * x * x;
            lr += x * ir.right[i];
            rr += static_cast<double>(ir.right[i]) * ir.right[i];
        }
        const double kurtosis = m4 * len / (m2 * m2);
        const double correlation = lr / std::sqrt(m2 * rr);
        EXPECT_LT(kurtosis, 4.5) << "at sample " << start;
        EXPECT_LT(std::fabs(correlation), 0.4) << "at sample " << start;
    }
    double e = 0;
    for (double v : energy(ir))
        e += v;
    EXPECT_GT(e, 0.5);
    EXPECT_LT(e, 4.0);
}

TEST(DspReverb, MixAtMinus96LeavesTheDryUntouched) {
    Reverb reverb;
    reverb.setParams({0.0f, -96.0f, 3000.0f, 0.001f});
    const Stereo in = noise(3 * 44100 / 2, 0.7, 5);
    Stereo out = in;
    inBlocks(out, [&](float* l, float* r, int n) { reverb.process(l, r, n); }, {256, 17});
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.right, in.right);
}
