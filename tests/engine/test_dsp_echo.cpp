// The echo's impulse response: taps at the delay, decay by the feedback, sides
// alternating with pan delay; the shortest delay; a time change without a jump.
#include "engine/dsp/Echo.h"
#include "test_dsp_signals.h"

#include <gtest/gtest.h>

using namespace vl::engine::dsp;
using namespace vl::engine::dsp::testing;

namespace {

// Every sample that is not silent, as (index, value).
std::vector<std::pair<std::size_t, float>> taps(const std::vector<float>& v) {
    std::vector<std::pair<std::size_t, float>> out;
    for (std::size_t i = 0; i < v.size(); ++i)
        if (std::fabs(v[i]) > 1e-7f) out.emplace_back(i, v[i]);
    return out;
}

} // namespace

TEST(DspEcho, PanDelayAlternatesSidesAndDecaysByTheFeedback) {
    const std::size_t d = 250 * kRate / 1000; // 11025
    const Stereo s =
        impulseResponse<Echo>(EchoParams{40.0f, 20.0f, 250.0f, 250.0f, true}, 5 * d, {256, 33, 4096});
    const auto left = taps(s.left);
    const auto right = taps(s.right);
    // Dry at 60 %, then echo 1 on the left, 2 on the right, 3 on the left, 4 on the right.
    ASSERT_EQ(left.size(), 3u);
    ASSERT_EQ(right.size(), 3u);
    EXPECT_EQ(left[0].first, 0u);
    EXPECT_FLOAT_EQ(left[0].second, 0.6f);
    EXPECT_EQ(left[1].first, d);
    EXPECT_FLOAT_EQ(left[1].second, 0.4f);
    EXPECT_EQ(right[1].first, 2 * d);
    EXPECT_FLOAT_EQ(right[1].second, 0.4f * 0.2f);
    EXPECT_EQ(left[2].first, 3 * d);
    EXPECT_FLOAT_EQ(left[2].second, 0.4f * 0.2f * 0.2f);
    EXPECT_EQ(right[2].first, 4 * d);
    EXPECT_NEAR(right[2].second, 0.4f * 0.2f * 0.2f * 0.2f, 1e-7);
}

TEST(DspEcho, WithoutPanEachSideEchoesItself) {
    Echo echo;
    echo.setParams({50.0f, 50.0f, 100.0f, 300.0f, false});
    Stereo s(kRate);
    s.left[0] = 1.0f; // only the left side gets the click
    inBlocks(s, [&](float* l, float* r, int n) { echo.process(l, r, n); });
    const auto left = taps(s.left);
    ASSERT_GE(left.size(), 4u);
    EXPECT_EQ(left[1].first, 4410u);
    EXPECT_EQ(left[2].first, 8820u);
    EXPECT_FLOAT_EQ(left[2].second, 0.25f);
    EXPECT_TRUE(taps(s.right).empty());
}

TEST(DspEcho, ZeroDelayPlaysAsTheShortestDelay) {
    const Stereo s = impulseResponse<Echo>(EchoParams{50.0f, 0.0f, 0.0f, 0.0f, false}, 1000);
    const auto left = taps(s.left);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[1].first, static_cast<std::size_t>(kRate / 1000)); // 1 ms
}

TEST(DspEcho, FullWetRemovesTheDryAndZeroWetIsTheDry) {
    Stereo wet = impulseResponse<Echo>(EchoParams{100.0f, 0.0f, 10.0f, 10.0f, false}, 1000);
    EXPECT_EQ(wet.left[0], 0.0f);
    EXPECT_EQ(wet.left[441], 1.0f);
    Echo echo;
    echo.setParams({0.0f, 50.0f, 10.0f, 10.0f, true});
    const Stereo in = noise(5000, 0.5, 3);
    Stereo out = in;
    inBlocks(out, [&](float* l, float* r, int n) { echo.process(l, r, n); });
    EXPECT_EQ(out.left, in.left);
}

TEST(DspEcho, DelayChangeCrossfadesTheReadPosition) {
    // A full-wet echo of a steady low tone: moving the delay from 300 to 303 ms
    // must glide, never jump by more than the tone itself moves in a few samples.
    Echo echo;
    echo.setParams({100.0f, 0.0f, 300.0f, 300.0f, false});
    Stereo s = sine(100.0, 0.5, kRate);
    const std::size_t change = 86 * 256;
    for (std::size_t pos = 0; pos + 256 <= s.size(); pos += 256) {
        if (pos == change) echo.setParams({100.0f, 0.0f, 303.0f, 303.0f, false});
        echo.process(s.left.data() + pos, s.right.data() + pos, 256);
    }
    const double maxStep = 0.5 * 2.0 * std::numbers::pi * 100.0 / kRate; // steepest slope of the tone
    double worst = 0.0;
    for (std::size_t i = change - 1; i < change + 4096; ++i)
        worst = std::max(worst, std::fabs(static_cast<double>(s.left[i + 1]) - s.left[i]));
    EXPECT_LT(worst, 1.05 * maxStep);
}
