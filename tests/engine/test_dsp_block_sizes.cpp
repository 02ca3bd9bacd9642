// The effects work through a block in chunks, groups of four and a pipeline across
// the equaliser's bands: however the host cuts the stream into blocks, the output
// must be the same, also across a setting change. And a ping-pong echo with
// delays shorter than a block still reads only what was written before. The reverb's
// modulators glide linearly within each block, so its output may move a hair with
// the cut, and no more.
#include "engine/dsp/Compressor.h"
#include "engine/dsp/Echo.h"
#include "engine/dsp/ParametricEq.h"
#include "engine/dsp/Reverb.h"
#include "test_dsp_signals.h"

#include <gtest/gtest.h>

using namespace vl::engine::dsp;
using namespace vl::engine::dsp::testing;

namespace {

constexpr std::size_t kFrames = 12000;
constexpr std::size_t kChange = 5000; // a block boundary in every run

// Runs the effect over loud-then-quiet noise in blocks of the given sizes, with a
// second setting from kChange on.
template <typename Effect, typename Params>
Stereo run(const Params& first, const Params& second, const std::vector<int>& sizes) {
    Stereo s = noise(kFrames, 0.8, 5);
    for (std::size_t i = kFrames / 2; i < kFrames; ++i) {
        s.left[i] *= 0.01f; // lets the compressor release and settle
        s.right[i] *= 0.01f;
    }
    Effect effect;
    effect.setParams(first);
    Stereo head(kChange), tail(kFrames - kChange);
    std::copy(s.left.begin(), s.left.begin() + kChange, head.left.begin());
    std::copy(s.right.begin(), s.right.begin() + kChange, head.right.begin());
    std::copy(s.left.begin() + kChange, s.left.end(), tail.left.begin());
    std::copy(s.right.begin() + kChange, s.right.end(), tail.right.begin());
    const auto process = [&](float* l, float* r, int n) { effect.process(l, r, n); };
    inBlocks(head, process, sizes);
    effect.setParams(second);
    inBlocks(tail, process, sizes);
    head.left.insert(head.left.end(), tail.left.begin(), tail.left.end());
    head.right.insert(head.right.end(), tail.right.begin(), tail.right.end());
    return head;
}

template <typename Effect, typename Params>
void expectSameInAnyBlocks(const Params& first, const Params& second) {
    const Stereo whole = run<Effect>(first, second, {100000});
    for (const auto& sizes : std::vector<std::vector<int>>{{1}, {7}, {300}, {1, 7, 300, 2, 3}}) {
        const Stereo cut = run<Effect>(first, second, sizes);
        EXPECT_EQ(cut.left, whole.left) << "blocks of " << sizes[0];
        EXPECT_EQ(cut.right, whole.right) << "blocks of " << sizes[0];
    }
}

// Energy of the difference relative to the energy of the reference, in dB.
double differenceDb(const Stereo& a, const Stereo& reference) {
    double diff = 0.0, ref = 0.0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        const double dl = a.left[i] - reference.left[i], dr = a.right[i] - reference.right[i];
        diff += dl * dl + dr * dr;
        ref += static_cast<double>(reference.left[i]) * reference.left[i] +
               static_cast<double>(reference.right[i]) * reference.right[i];
    }
    return 10.0 * std::log10(diff / ref + 1e-30);
}

CompressorParams compressor(float ratio, float thresholdDb) {
    CompressorParams p;
    p.ratio = ratio;
    p.thresholdDb = thresholdDb;
    p.attackMs = 2.0f;
    p.releaseMs = 20.0f;
    p.gainDb = 3.0f;
    return p;
}

} // namespace

TEST(DspBlockSizes, OutputDoesNotDependOnHowTheStreamIsCut) {
    SCOPED_TRACE("compressor");
    expectSameInAnyBlocks<Compressor>(compressor(4, -20), compressor(1, -20));
    SCOPED_TRACE("equaliser: a bypassed band between two, then fades");
    expectSameInAnyBlocks<ParametricEq>(EqParams{4, 0, 6}, EqParams{0, 5, 6});
    SCOPED_TRACE("echo: delays shorter than a block, changed while running");
    expectSameInAnyBlocks<Echo>(EchoParams{40, 60, 1, 3, true}, EchoParams{40, 60, 2, 1, true});
    expectSameInAnyBlocks<Echo>(EchoParams{50, 50, 1, 20, false}, EchoParams{50, 50, 10, 2, false});
}

TEST(DspBlockSizes, ShortPingPongDelaysInLongBlocks) {
    // 1 ms left, 3 ms right: mono into the left line, each line feeding the other.
    const std::size_t dl = kRate / 1000, dr = 3 * kRate / 1000;
    const Stereo s =
        impulseResponse<Echo>(EchoParams{50.0f, 50.0f, 1.0f, 3.0f, true}, 2048, {256, 1, 7, 1000});
    EXPECT_FLOAT_EQ(s.left[0], 0.5f);
    EXPECT_FLOAT_EQ(s.left[dl], 0.5f);
    EXPECT_FLOAT_EQ(s.right[dl + dr], 0.25f);
    EXPECT_FLOAT_EQ(s.left[2 * dl + dr], 0.125f);
    EXPECT_FLOAT_EQ(s.right[2 * dl + 2 * dr], 0.0625f);
    double elsewhere = 0.0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (i != dl && i != 2 * dl + dr && i != 3 * dl + 2 * dr && i != 4 * dl + 3 * dr)
            elsewhere = std::max(elsewhere, static_cast<double>(std::fabs(s.left[i])));
        if (i != dl + dr && i != 2 * dl + 2 * dr && i != 3 * dl + 3 * dr && i != 4 * dl + 4 * dr)
            elsewhere = std::max(elsewhere, static_cast<double>(std::fabs(s.right[i])));
    }
    EXPECT_LT(elsewhere, 0.02); // later echoes (fifth and on) are below this
}

TEST(DspBlockSizes, ReverbMovesOnlyAHairWithTheCut) {
    // Blocks of 1 and 7 run the line filters' one-sample path, 300 splits the network's
    // chunks, and every size moves where the modulated reads change their whole sample.
    const ReverbParams first{0.0f, 0.0f, 3000.0f, 0.5f}, second{0.0f, 0.0f, 1500.0f, 0.2f};
    const Stereo reference = run<Reverb>(first, second, {256});
    for (const auto& sizes : std::vector<std::vector<int>>{{1}, {7}, {300}, {1, 7, 300, 2, 3}, {512}}) {
        const Stereo cut = run<Reverb>(first, second, sizes);
        EXPECT_LT(differenceDb(cut, reference), -60.0) << "blocks of " << sizes[0];
    }
}
