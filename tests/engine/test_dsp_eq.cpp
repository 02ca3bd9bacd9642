// The equaliser measured with tones: gain at each band's centre, exact bypass when
// flat, and a gain change that does not click.
#include "engine/dsp/ParametricEq.h"
#include "test_dsp_signals.h"

#include <gtest/gtest.h>

using namespace vl::engine::dsp;
using namespace vl::engine::dsp::testing;

namespace {

struct Band {
    const char* name;
    double hz;
    EqParams params(float db) const {
        if (hz < 100) return {db, 0, 0};
        if (hz < 1000) return {0, db, 0};
        return {0, 0, db};
    }
};

constexpr Band kBands[] = {{"low", 80.0}, {"mid", 450.0}, {"high", 10000.0}};

double measuredGainDb(const EqParams& params, double toneHz, const std::vector<int>& blocks = {256}) {
    ParametricEq eq;
    eq.setParams(params);
    const Stereo in = sine(toneHz, 0.1, kRate);
    Stereo out = in;
    inBlocks(
        out, [&](float* l, float* r, int n) { eq.process(l, r, n); }, blocks);
    const std::size_t from = kRate / 2;
    return db(rms(out.left, from, out.size()) / rms(in.left, from, in.size()));
}

} // namespace

TEST(DspEq, GainAtEachCentreFrequencyMatchesTheSetting) {
    for (const Band& band : kBands) {
        for (float setting : {-15.0f, -9.0f, -3.0f, 4.0f, 10.0f, 15.0f}) {
            const double gain = measuredGainDb(band.params(setting), band.hz, {256, 64, 1000, 1});
            EXPECT_NEAR(gain, setting, 0.5) << band.name << " band at " << setting << " dB";
        }
    }
}

TEST(DspEq, BandsStayInTheirRegion) {
    // The low band at full boost leaves the treble alone, and the high band the bass.
    EXPECT_NEAR(measuredGainDb({15.0f, 0, 0}, 10000.0), 0.0, 0.1);
    EXPECT_NEAR(measuredGainDb({0, 0, 15.0f}, 80.0), 0.0, 0.1);
    // Half way between centres the bands still act, but by far less than at the centre.
    const double between = measuredGainDb({0, 15.0f, 0}, 900.0);
    EXPECT_GT(between, 1.0);
    EXPECT_LT(between, 10.0);
}

TEST(DspEq, FlatIsBitExactAlsoAfterAnExcursion) {
    ParametricEq eq;
    const Stereo in = noise(20000, 0.8, 7);
    Stereo out = in;
    inBlocks(out, [&](float* l, float* r, int n) { eq.process(l, r, n); }, {128, 77});
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.right, in.right);

    eq.setParams({6.0f, -4.0f, 12.0f});
    Stereo boosted = noise(20000, 0.8, 8);
    inBlocks(boosted, [&](float* l, float* r, int n) { eq.process(l, r, n); });
    eq.setParams({0, 0, 0});
    Stereo fadeBack = noise(EqBand::kFadeLength + 256, 0.8, 9);
    inBlocks(fadeBack, [&](float* l, float* r, int n) { eq.process(l, r, n); });
    Stereo after = in;
    inBlocks(after, [&](float* l, float* r, int n) { eq.process(l, r, n); });
    EXPECT_EQ(after.left, in.left);
    EXPECT_EQ(after.right, in.right);
}

TEST(DspEq, GainChangeCrossfadesWithoutAClick) {
    // A step from -15 to +15 dB on a 450 Hz tone: the second difference of the
    // output stays within what a smooth change of amplitude gives; a switch of
    // coefficients inside one sample would leave a spike there.
    for (int blockSize : {32, 256, 1024}) {
        ParametricEq eq;
        eq.setParams({0, -15.0f, 0});
        Stereo s = sine(450.0, 0.05, kRate);
        std::size_t pos = 0;
        const std::size_t change = kRate / 2;
        while (pos < s.size()) {
            if (pos >= change && pos < change + static_cast<std::size_t>(blockSize))
                eq.setParams({0, 15.0f, 0});
            const int n = static_cast<int>(std::min<std::size_t>(blockSize, s.size() - pos));
            eq.process(s.left.data() + pos, s.right.data() + pos, n);
            pos += static_cast<std::size_t>(n);
        }
        const double amplitudeAfter = 0.05 * std::pow(10.0, 15.0 / 20.0);
        const double w = 2.0 * std::numbers::pi * 450.0 / kRate;
        const double smoothLimit = 1.1 * amplitudeAfter * w * w;
        double worst = 0.0;
        for (std::size_t i = change - 10; i < change + 4000; ++i)
            worst = std::max(worst,
                             std::fabs(static_cast<double>(s.left[i + 1]) - 2.0 * s.left[i] + s.left[i - 1]));
        EXPECT_LT(worst, smoothLimit) << "block size " << blockSize;
    }
}
