// The track effects heard through the real engine: files played by the playback graph
// on the manual device, with the effects set through the engine's VL_ calls.
#include "EngineTestSupport.h"
#include "support/TempFolder.h"
#include "test_dsp_signals.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

using namespace vl::engine;
using vl::test::Outputs;

namespace {

constexpr int kRate = 44100;

class EffectsThroughEngine : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return (dir / name).string(); }
    void clearSlots() {
        for (int i = 1; i <= 8; ++i)
            engine.setTrackFile(i, 0, 1.0f, 0, path("none").c_str());
    }
    void tone(const std::string& name, double hz, float amplitude, double seconds = 1.5) {
        vl::test::writeTone(dir / name, kRate, 2, seconds, hz, amplitude);
    }
    // A single click on both sides at the first frame, then silence.
    void click(const std::string& name, double seconds) {
        vl::test::writeAudio(dir / name, kRate, 2, static_cast<int64_t>(seconds * kRate),
                             [](int64_t f, int) { return f == 0 ? 0.5f : 0.0f; });
    }
    Outputs render(int frames, int block = 512) {
        return vl::test::renderFrames(engine, device, frames, block);
    }
    static double levelDb(const std::vector<float>& s, std::size_t from, double amplitude) {
        return 20.0 * std::log10(vl::test::rms(s, from) / (amplitude * kTrackLevel / std::sqrt(2.0)));
    }

    vl::test::TempFolder dir;
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
};

} // namespace

TEST_F(EffectsThroughEngine, EqualiserAndCompressorMeasuredOnTheOutputs) {
    clearSlots();
    tone("low.wav", 80.0, 0.1f);
    tone("mid.wav", 450.0, 0.1f);
    tone("high.wav", 10000.0, 0.1f);
    tone("loud.wav", 1000.0, 0.5f);
    engine.setTrackFile(1, 0, 1.0f, 0, path("low.wav").c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, path("mid.wav").c_str());
    engine.setTrackFile(3, 2, 1.0f, 0, path("high.wav").c_str());
    engine.setTrackFile(4, 3, 1.0f, 0, path("loud.wav").c_str());
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    engine.setEq(1, -12.0f, 0.0f, 0.0f);
    engine.setEq(2, 0.0f, 9.0f, 0.0f);
    engine.setEq(3, 0.0f, 0.0f, 6.0f);
    engine.setCompressor(4, 4, -20, 400, 0);
    const Outputs out = render(kRate);
    const std::size_t from = kRate / 2;
    EXPECT_NEAR(levelDb(out[0], from, 0.1), -12.0, 0.5);
    EXPECT_NEAR(levelDb(out[3], from, 0.1), 9.0, 0.5);
    EXPECT_NEAR(levelDb(out[4], from, 0.1), 6.0, 0.5);
    const double expected = -(20.0 * std::log10(0.5) + 20.0) * (1.0 - 1.0 / 4.0);
    EXPECT_NEAR(levelDb(out[6], from, 0.5), expected, 1.0);
    EXPECT_NEAR(levelDb(out[7], from, 0.5), expected, 1.0);
}

TEST_F(EffectsThroughEngine, NeutralSettingsLeaveTheTrackBitExact) {
    clearSlots();
    vl::test::writeAudio(dir / "noise.wav", kRate, 2, kRate, [](int64_t f, int c) {
        return static_cast<float>(((f * 7919 + c * 104729) % 20000) - 10000) / 32768.0f;
    });
    engine.setTrackFile(1, 0, 1.0f, 0, path("noise.wav").c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, path("noise.wav").c_str());
    engine.setBusEffectLevels(0, 0);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    engine.setEq(1, 0.0f, 0.0f, 0.0f);
    engine.setCompressor(1, 1, 0, 400, 0);
    engine.sendEffects(1, 50, 0); // a reverb at -96 dB adds nothing
    engine.setBusReverb(4);
    const Outputs out = render(kRate / 2, 300);
    EXPECT_EQ(out[0], out[2]); // track 2 has no effects at all
    EXPECT_EQ(out[1], out[3]);
}

TEST_F(EffectsThroughEngine, EchoTapsAlternateSidesAndSendOffRemovesThem) {
    clearSlots();
    click("click.wav", 2.0);
    engine.setTrackFile(1, 0, 1.0f, 0, path("click.wav").c_str());
    engine.setBusEffectLevels(0, 200);
    engine.sendEffects(1, 0, 100);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    engine.setBusDelay(250, 3); // full wet, 20 % feedback
    const Outputs out = render(kRate);
    const std::size_t d = kRate / 4;
    const float c = 0.5f * kTrackLevel;
    EXPECT_EQ(out[0][0], 0.0f); // all wet: the dry click is gone
    EXPECT_NEAR(out[0][d], c, 1e-6);
    EXPECT_NEAR(out[1][d], 0.0f, 1e-9);
    EXPECT_NEAR(out[1][2 * d], c * 0.2f, 1e-6);
    EXPECT_NEAR(out[0][2 * d], 0.0f, 1e-9);
    EXPECT_NEAR(out[0][3 * d], c * 0.04f, 1e-6);
    double elsewhere = 0.0;
    for (std::size_t i = 1; i < out[0].size(); ++i)
        if (i != d && i != 2 * d && i != 3 * d)
            elsewhere = std::max(elsewhere, std::fabs(double(out[0][i])) + std::fabs(double(out[1][i])));
    EXPECT_LT(elsewhere, 1e-6);

    engine.sendEffects(1, 0, 0);
    EXPECT_FALSE(engine.trackEffects(1)->echoOn);
    const Outputs after = render(kRate / 2);
    EXPECT_EQ(vl::test::peak(after[0], 1024), 0.0); // the tail is gone after the fade
}

TEST_F(EffectsThroughEngine, SendOffOnTrackThreeKeepsTheOthersReverb) {
    clearSlots();
    click("click.wav", 3.0);
    for (int t = 1; t <= 3; ++t)
        engine.setTrackFile(t, static_cast<uint8_t>(t - 1), 1.0f, 0, path("click.wav").c_str());
    engine.setBusEffectLevels(96, 0);
    for (int t = 1; t <= 3; ++t)
        engine.sendEffects(t, 100, 0);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    engine.setBusReverb(2);
    const dsp::TrackEffectSettings one = *engine.trackEffects(1);
    engine.sendEffects(3, 0, 0);
    engine.setBusReverb(2);
    EXPECT_EQ(*engine.trackEffects(1), one);
    EXPECT_TRUE(engine.trackEffects(2)->reverbOn);
    EXPECT_FALSE(engine.trackEffects(3)->reverbOn);

    const Outputs out = render(3 * kRate);
    // Track 3 (outputs 5/6) is its dry click only; track 1 (outputs 1/2) rings for 2 s.
    EXPECT_EQ(vl::test::peak(out[4], 1), 0.0);
    EXPECT_EQ(vl::test::peak(out[5], 1), 0.0);
    std::vector<double> energy(out[0].size());
    for (std::size_t i = 1; i < energy.size(); ++i)
        energy[i] = double(out[0][i]) * out[0][i] + double(out[1][i]) * out[1][i];
    EXPECT_NEAR(vl::engine::dsp::testing::schroederRt60(energy), 2.0, 0.3);
}

TEST_F(EffectsThroughEngine, SendsPersistAcrossStopAndPlayAndMidiHasNoEffects) {
    clearSlots();
    tone("a.wav", 440.0, 0.2f, 0.5);
    engine.setTrackFile(1, 0, 1.0f, 0, path("a.wav").c_str());
    engine.setTrackFile(2, 0, 1.0f, 0, path("song.MID").c_str());
    engine.setBusEffectLevels(50, 50);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    engine.sendEffects(1, 30, 40);
    engine.sendEffects(2, 30, 40);
    EXPECT_EQ(engine.trackEffects(2), nullptr);
    EXPECT_EQ(engine.stop(), 1);
    EXPECT_EQ(engine.trackEffects(1), nullptr);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const dsp::TrackEffectSettings* s = engine.trackEffects(1);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->reverbOn);
    EXPECT_TRUE(s->echoOn);
    EXPECT_FLOAT_EQ(s->reverb.timeMs, 3000.0f); // the play defaults
    EXPECT_FLOAT_EQ(s->reverb.mixDb, 30 * 0.01f * 50 - 96.0f);
    EXPECT_FLOAT_EQ(s->echo.leftMs, 400.0f);
    EXPECT_FLOAT_EQ(s->echo.feedbackPercent, 10.0f);
    EXPECT_FLOAT_EQ(s->echo.wetDryPercent, 40 * 0.005f * 50);
    EXPECT_EQ(engine.trackEffects(2), nullptr);
    EXPECT_EQ(engine.sends(2).delaySend, 40);
    EXPECT_EQ(engine.busReverbLevel(), 50);
}

TEST_F(EffectsThroughEngine, EveryEffectSetterTakesAnyValue) {
    // Each value goes into its range before any arithmetic (the asan build stops at any
    // overflow); afterwards the tracks play on as sound, not as noise or a stuck silence.
    clearSlots();
    tone("a.wav", 440.0, 0.5f, 6.0);
    engine.setTrackFile(1, 0, 1.0f, 0, path("a.wav").c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, path("a.wav").c_str());
    engine.setBusEffectLevels(INT16_MAX, INT16_MIN);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (const int v : {INT32_MIN, INT32_MAX}) {
        const auto s16 = static_cast<int16_t>(v < 0 ? INT16_MIN : INT16_MAX);
        engine.setBusEffectLevels(s16, s16);
        for (int t : {1, 2}) {
            engine.sendEffects(t, s16, s16);
            engine.setCompressor(t, v, v, v, v);
            engine.setEq(t, v < 0 ? -inf : inf, nan, v < 0 ? -FLT_MAX : FLT_MAX);
        }
        engine.setBusReverb(v);
        engine.setBusDelay(v, v);
        const dsp::TrackEffectSettings& s = *engine.trackEffects(1);
        EXPECT_FLOAT_EQ(s.reverb.timeMs, v < 0 ? 1000.0f : 6000.0f);
        EXPECT_FLOAT_EQ(s.echo.feedbackPercent, v < 0 ? 0.0f : 100.0f);
        EXPECT_FLOAT_EQ(s.echo.leftMs, v < 0 ? 0.0f : 2000.0f);
        render(4096);
    }
    for (int t : {1, 2}) {
        engine.sendEffects(t, 0, 0);
        engine.setCompressor(t, 1, 0, 400, 0);
        engine.setEq(t, 0.0f, 0.0f, 0.0f);
    }
    render(2 * kRate); // the fades, the equaliser's crossfade and the compressor's release
    EXPECT_NEAR(vl::test::rms(render(4096)[0]), 0.5 * kTrackLevel / std::sqrt(2.0), 0.01);

    // A level that is no number silences its own track (or, as master, all), never the pair.
    engine.setTrackFile(2, 0, inf, 0, "");
    render(512);
    Outputs out = render(4096);
    EXPECT_NEAR(vl::test::rms(out[0]), 0.5 * kTrackLevel / std::sqrt(2.0), 0.01);
    EXPECT_EQ(vl::test::peak(out[2]), 0.0);
    engine.setTrackFile(2, 0, nan, 0, "");
    EXPECT_NEAR(vl::test::rms(render(4096)[0]), 0.5 * kTrackLevel / std::sqrt(2.0), 0.01);
    engine.setMasterVolume(nan);
    render(512);
    EXPECT_EQ(vl::test::peak(render(4096)[0]), 0.0);
    engine.setMasterVolume(1.0f);
    render(512);
    EXPECT_NEAR(vl::test::rms(render(4096)[0]), 0.5 * kTrackLevel / std::sqrt(2.0), 0.01);
}
