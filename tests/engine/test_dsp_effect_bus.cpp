// The mapping from the engine's effect calls to each track's effect settings, and
// what a track then sounds like through its own effects.
#include "engine/dsp/EffectBus.h"
#include "engine/dsp/TrackEffectsSet.h"
#include "test_dsp_signals.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vl::engine::dsp;
using namespace vl::engine::dsp::testing;

namespace {

// One second of a click through a track's effects; returns the energy after 100 ms.
double tailEnergy(TrackEffects& effects) {
    Stereo s(kRate);
    s.left[0] = s.right[0] = 1.0f;
    inBlocks(s, [&](float* l, float* r, int n) { effects.process(l, r, n); });
    double e = 0.0;
    for (std::size_t i = kRate / 10; i < s.size(); ++i)
        e += s.left[i] * s.left[i] + s.right[i] * s.right[i];
    return e;
}

} // namespace

TEST(DspEffectBus, PlayAppliesTheStoredSendsWithTheDefaults) {
    EffectBus bus;
    bus.setBusLevels(96, 200);
    bus.sendEffects(1, 100, 100); // stored before any graph exists
    bus.sendEffects(2, 0, 40);
    EXPECT_EQ(bus.settings(1), nullptr);
    TrackEffectsSet g({1, 2, 3});
    bus.attach(g.pointers());

    const TrackEffectSettings* t1 = bus.settings(1);
    ASSERT_NE(t1, nullptr);
    EXPECT_TRUE(t1->reverbOn);
    EXPECT_FLOAT_EQ(t1->reverb.timeMs, 3000.0f);
    EXPECT_FLOAT_EQ(t1->reverb.mixDb, 0.0f);
    EXPECT_FLOAT_EQ(t1->reverb.hfRatio, 0.001f);
    EXPECT_TRUE(t1->echoOn);
    EXPECT_FLOAT_EQ(t1->echo.leftMs, 400.0f);
    EXPECT_FLOAT_EQ(t1->echo.rightMs, 400.0f);
    EXPECT_FLOAT_EQ(t1->echo.feedbackPercent, 10.0f);
    EXPECT_FLOAT_EQ(t1->echo.wetDryPercent, 100.0f);
    EXPECT_TRUE(t1->echo.panDelay);
    EXPECT_FALSE(bus.settings(2)->reverbOn);
    EXPECT_FLOAT_EQ(bus.settings(2)->echo.wetDryPercent, 40.0f);
    EXPECT_FALSE(bus.settings(3)->reverbOn);
    EXPECT_FALSE(bus.settings(3)->echoOn);
    EXPECT_EQ(bus.settings(4), nullptr); // a track without effects

    // Stop and play again: the sends and levels are still there.
    bus.detach();
    EXPECT_EQ(bus.settings(1), nullptr);
    EXPECT_EQ(bus.sends(1).reverb, 100);
    TrackEffectsSet again({1});
    bus.attach(again.pointers());
    EXPECT_TRUE(bus.settings(1)->reverbOn);
    EXPECT_FLOAT_EQ(bus.settings(1)->echo.wetDryPercent, 100.0f);
}

TEST(DspEffectBus, SendOffRemovesOnlyThatTracksEffects) {
    EffectBus bus;
    bus.setBusLevels(80, 100);
    TrackEffectsSet g({1, 2, 3, 4});
    bus.attach(g.pointers());
    for (int t = 1; t <= 4; ++t)
        bus.sendEffects(t, static_cast<int16_t>(20 * t), static_cast<int16_t>(10 * t));
    bus.setBusReverb(2);
    bus.setBusDelay(300, 2);
    std::array<TrackEffectSettings, 5> before{};
    for (int t = 1; t <= 4; ++t)
        before[t] = *bus.settings(t);

    bus.sendEffects(3, 0, 0);
    bus.setBusReverb(2);
    bus.setBusDelay(300, 2);
    EXPECT_FALSE(bus.settings(3)->reverbOn);
    EXPECT_FALSE(bus.settings(3)->echoOn);
    for (int t : {1, 2, 4})
        EXPECT_EQ(*bus.settings(t), before[t]) << "track " << t;

    // Heard through the effects: track 3 has no tail left, track 1 keeps its reverb.
    EXPECT_LT(tailEnergy(*g[3]), 1e-12);
    EXPECT_GT(tailEnergy(*g[1]), 1e-6);
}

TEST(DspEffectBus, LevelsWaitForTheNextBusCall) {
    EffectBus bus;
    TrackEffectsSet g({1, 2});
    bus.attach(g.pointers());
    bus.sendEffects(1, 60, 60);
    bus.sendEffects(2, 100, 0);
    bus.setBusReverb(4);
    bus.setBusDelay(400, 1);
    const TrackEffectSettings before1 = *bus.settings(1);
    const TrackEffectSettings before2 = *bus.settings(2);
    bus.setBusLevels(50, 50);
    EXPECT_EQ(*bus.settings(1), before1);
    EXPECT_EQ(*bus.settings(2), before2);

    bus.setBusReverb(2);
    EXPECT_FLOAT_EQ(bus.settings(1)->reverb.timeMs, 2000.0f);
    EXPECT_FLOAT_EQ(bus.settings(1)->reverb.mixDb, 60 * 0.5f - 96.0f);
    EXPECT_FLOAT_EQ(bus.settings(2)->reverb.mixDb, 100 * 0.5f - 96.0f);
    EXPECT_FLOAT_EQ(bus.settings(1)->echo.wetDryPercent, before1.echo.wetDryPercent); // delay not yet
    bus.setBusDelay(400, 1);
    EXPECT_FLOAT_EQ(bus.settings(1)->echo.wetDryPercent, 60 * 0.005f * 50);
}

TEST(DspEffectBus, BusDelayAndReverbMappings) {
    EffectBus bus;
    bus.setBusLevels(40, 120);
    TrackEffectsSet g({1, 2, 5});
    bus.attach(g.pointers());
    bus.sendEffects(1, 0, 50);
    bus.sendEffects(2, 30, 0);
    bus.sendEffects(5, 0, 100);
    bus.setBusDelay(250, 3);
    for (int t : {1, 5}) {
        EXPECT_FLOAT_EQ(bus.settings(t)->echo.leftMs, 250.0f);
        EXPECT_FLOAT_EQ(bus.settings(t)->echo.rightMs, 250.0f);
        EXPECT_FLOAT_EQ(bus.settings(t)->echo.feedbackPercent, 20.0f);
        EXPECT_TRUE(bus.settings(t)->echo.panDelay);
    }
    EXPECT_FLOAT_EQ(bus.settings(1)->echo.wetDryPercent, 50 * 0.005f * 120);
    EXPECT_FALSE(bus.settings(2)->echoOn);
    // Reverb times over the whole editor range, beyond the old 3000 ms limit.
    for (int step = 0; step <= 10; ++step) {
        bus.setBusReverb(step);
        EXPECT_FLOAT_EQ(bus.settings(2)->reverb.timeMs, static_cast<float>(step * 500 + 1000));
        EXPECT_FLOAT_EQ(bus.settings(2)->reverb.inputGainDb, 0.0f);
        EXPECT_FLOAT_EQ(bus.settings(2)->reverb.mixDb, 30 * 0.01f * 40 - 96.0f);
    }
}

TEST(DspEffectBus, NewEffectStartsFromItsDefaultsUntilTheBusCall) {
    EffectBus bus;
    bus.setBusLevels(100, 100);
    TrackEffectsSet g({1});
    bus.attach(g.pointers());
    bus.sendEffects(1, 50, 50);
    const TrackEffectSettings fresh{
        EqParams{}, CompressorParams{}, EffectBus::freshReverb(), EffectBus::freshEcho(), true, true};
    EXPECT_EQ(*bus.settings(1), fresh);
    bus.setBusReverb(1);
    bus.sendEffects(1, 90, 50); // a changed send reaches the effect only at the next bus call
    EXPECT_FLOAT_EQ(bus.settings(1)->reverb.mixDb, 50 * 0.01f * 100 - 96.0f);
}

TEST(DspEffectBus, EqAndCompressorMappings) {
    EffectBus bus;
    TrackEffectsSet g({1});
    bus.attach(g.pointers());
    bus.setEq(1, -3.0f, 2.0f, 7.0f);
    bus.setCompressor(1, 4, -18, 120, 3);
    const TrackEffectSettings& s = *bus.settings(1);
    EXPECT_FLOAT_EQ(s.eq.lowDb, -3.0f);
    EXPECT_FLOAT_EQ(s.eq.midDb, 2.0f);
    EXPECT_FLOAT_EQ(s.eq.highDb, 7.0f);
    EXPECT_FLOAT_EQ(s.compressor.ratio, 4.0f);
    EXPECT_FLOAT_EQ(s.compressor.thresholdDb, -18.0f);
    EXPECT_FLOAT_EQ(s.compressor.releaseMs, 120.0f);
    EXPECT_FLOAT_EQ(s.compressor.gainDb, 3.0f);
    EXPECT_FLOAT_EQ(s.compressor.attackMs, 0.01f);
    EXPECT_FLOAT_EQ(s.compressor.predelayMs, 0.0f);
    // Calls for tracks without effects or outside 1..8 change nothing.
    bus.setEq(2, 5, 5, 5);
    bus.setCompressor(9, 2, -10, 100, 0);
    bus.sendEffects(0, 10, 10);
    EXPECT_EQ(bus.settings(2), nullptr);
    EXPECT_EQ(bus.sends(0).reverb, 0);
}

TEST(DspTrackEffects, NeutralChainIsBitExactAndSwitchingFades) {
    EffectBus bus;
    TrackEffectsSet g({1});
    bus.attach(g.pointers());
    bus.setEq(1, 0, 0, 0);
    bus.setCompressor(1, 1, 0, 400, 0);
    TrackEffects& fx = *g[1];
    const Stereo in = noise(20000, 0.9, 21);
    Stereo out = in;
    inBlocks(out, [&](float* l, float* r, int n) { fx.process(l, r, n); }, {256, 13});
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.right, in.right);

    // Switching the echo on for a steady tone: no sample jumps, the echo comes in.
    bus.setBusLevels(0, 200);
    bus.sendEffects(1, 0, 100);
    bus.setBusDelay(10, 0);
    Stereo tone = sine(200.0, 0.5, kRate / 2);
    inBlocks(tone, [&](float* l, float* r, int n) { fx.process(l, r, n); }, {128});
    EXPECT_TRUE(fx.echoRunning());
    const double slope = 0.5 * 2.0 * std::numbers::pi * 200.0 / kRate;
    for (std::size_t i = 1; i < tone.size(); ++i)
        ASSERT_LT(std::fabs(tone.left[i] - tone.left[i - 1]), 1.5 * slope) << "at " << i;
    bus.sendEffects(1, 0, 0);
    Stereo rest = sine(200.0, 0.5, kRate / 2);
    inBlocks(rest, [&](float* l, float* r, int n) { fx.process(l, r, n); }, {128});
    EXPECT_FALSE(fx.echoRunning());
}

TEST(DspTrackEffects, SendBackOnDuringTheWipeReturnsCleanOnceItIsDone) {
    // The wipe after switching off runs a bounded share per block, also when the send comes
    // back meanwhile: the echo stays out until its memory is clear, then fades in with
    // nothing left of the old signal.
    EffectBus bus;
    TrackEffectsSet g({1});
    bus.attach(g.pointers());
    TrackEffects& fx = *g[1];
    bus.setBusLevels(0, 200);
    bus.sendEffects(1, 0, 100);
    bus.setBusDelay(5, 0); // all wet, 5 ms
    Stereo loud = noise(kRate / 4, 0.9, 3);
    inBlocks(loud, [&](float* l, float* r, int n) { fx.process(l, r, n); });
    bus.sendEffects(1, 0, 0);
    Stereo fade(TrackEffects::kSwitchFade);
    inBlocks(fade, [&](float* l, float* r, int n) { fx.process(l, r, n); });
    bus.sendEffects(1, 0, 100);
    bus.setBusDelay(5, 0);

    Stereo silence(256);
    int blocks = 0;
    for (; !fx.echoRunning() && blocks < 100; ++blocks) {
        inBlocks(silence, [&](float* l, float* r, int n) { fx.process(l, r, n); });
        ASSERT_EQ(rms(silence.left, 0, 256), 0.0) << "block " << blocks;
    }
    EXPECT_GT(blocks, 4); // the echo's memory takes several blocks
    EXPECT_TRUE(fx.echoRunning());
    Stereo after(kRate / 10);
    after.left[1000] = after.right[1000] = 1.0f;
    inBlocks(after, [&](float* l, float* r, int n) { fx.process(l, r, n); });
    EXPECT_EQ(rms(after.left, 0, 1000), 0.0); // nothing of the old signal
    const auto d = static_cast<std::size_t>(std::lround(5.0 * kRate / 1000.0));
    EXPECT_NEAR(after.left[1000 + d], 1.0f, 1e-6); // the echo is back, all wet
}
