// The compressor measured with tones: steady-state gain reduction against the
// ratio, untouched signals below the threshold, exact transparency when neutral,
// and release times over the whole accepted range.
#include "engine/dsp/Compressor.h"
#include "test_dsp_signals.h"

#include <gtest/gtest.h>

using namespace vl::engine::dsp;
using namespace vl::engine::dsp::testing;

namespace {

CompressorParams settings(float ratio, float thresholdDb, float releaseMs, float gainDb) {
    CompressorParams p;
    p.ratio = ratio;
    p.thresholdDb = thresholdDb;
    p.releaseMs = releaseMs;
    p.gainDb = gainDb;
    return p;
}

// Level change in dB of a steady 1 kHz tone, measured over its second half.
double steadyGainDb(const CompressorParams& p, double amplitude) {
    Compressor c;
    c.setParams(p);
    const Stereo in = sine(1000.0, amplitude, kRate);
    Stereo out = in;
    inBlocks(out, [&](float* l, float* r, int n) { c.process(l, r, n); }, {256, 100});
    return db(rms(out.left, kRate / 2, kRate) / rms(in.left, kRate / 2, kRate));
}

} // namespace

TEST(DspCompressor, SteadyReductionFollowsTheRatio) {
    struct Case {
        float ratio, thresholdDb, releaseMs;
        double amplitude;
    };
    for (const Case& k : {Case{4, -20, 400, 0.5}, Case{2, -30, 200, 0.9}, Case{10, -12, 1000, 0.7},
                          Case{3, -40, 100, 0.1}, Case{20, -6, 400, 1.0}}) {
        const double peakDb = db(k.amplitude);
        const double expected = -(peakDb - k.thresholdDb) * (1.0 - 1.0 / k.ratio);
        EXPECT_NEAR(steadyGainDb(settings(k.ratio, k.thresholdDb, k.releaseMs, 0), k.amplitude), expected,
                    1.0)
            << "ratio " << k.ratio << " threshold " << k.thresholdDb << " tone at " << peakDb << " dB";
    }
}

TEST(DspCompressor, BelowThresholdOnlyMakeUpGainActs) {
    EXPECT_NEAR(steadyGainDb(settings(8, -10, 400, 0), 0.1), 0.0, 0.01);
    EXPECT_NEAR(steadyGainDb(settings(8, -10, 400, 6), 0.1), 6.0, 0.01);
    EXPECT_NEAR(steadyGainDb(settings(1, -40, 400, -3), 0.5), -3.0, 0.01);
}

TEST(DspCompressor, NeutralSettingIsBitExactAlsoAfterCompressing) {
    Compressor c;
    c.setParams(settings(1, 0, 400, 0));
    const Stereo in = noise(30000, 1.0, 11);
    Stereo out = in;
    inBlocks(out, [&](float* l, float* r, int n) { c.process(l, r, n); });
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.right, in.right);

    c.setParams(settings(6, -30, 50, 4));
    Stereo loud = noise(10000, 1.0, 12);
    inBlocks(loud, [&](float* l, float* r, int n) { c.process(l, r, n); });
    EXPECT_GT(c.reductionDb(), 10.0f);
    c.setParams(settings(1, 0, 50, 0));
    Stereo releasing(kRate); // silence while it lets go
    inBlocks(releasing, [&](float* l, float* r, int n) { c.process(l, r, n); });
    out = in;
    inBlocks(out, [&](float* l, float* r, int n) { c.process(l, r, n); });
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.right, in.right);
}

TEST(DspCompressor, ReleaseTimesDownToTenMillisecondsTakeEffect) {
    // After a loud burst, the reduction left after 100 ms of quiet depends on the release.
    auto leftAfterQuiet = [](float releaseMs) {
        Compressor c;
        c.setParams(settings(10, -30, releaseMs, 0));
        Stereo burst = sine(1000.0, 1.0, kRate / 10);
        inBlocks(burst, [&](float* l, float* r, int n) { c.process(l, r, n); });
        const float start = c.reductionDb();
        Stereo quiet(kRate / 10);
        inBlocks(quiet, [&](float* l, float* r, int n) { c.process(l, r, n); });
        return c.reductionDb() / start;
    };
    EXPECT_LT(leftAfterQuiet(10), 0.001f);
    EXPECT_GT(leftAfterQuiet(40), 0.01f);
    EXPECT_LT(leftAfterQuiet(40), 0.2f);
    EXPECT_GT(leftAfterQuiet(1000), 0.8f);
}

TEST(DspCompressor, AttackCatchesTheFirstPeak) {
    // With the 0.01 ms attack the gain is down within a fraction of a millisecond.
    Compressor c;
    c.setParams(settings(20, -20, 400, 0));
    Stereo s = sine(1000.0, 1.0, 441);
    inBlocks(s, [&](float* l, float* r, int n) { c.process(l, r, n); }, {64});
    float peakLate = 0.0f;
    for (std::size_t i = 44; i < s.size(); ++i)
        peakLate = std::max(peakLate, std::fabs(s.left[i]));
    EXPECT_LT(db(peakLate), -20.0 + 20.0 / 20.0 + 1.0);
}
