// Tracks play at the device's rate, and so do their effects: an echo, an equaliser band,
// a reverb tail and a compressor release keep their milliseconds and hertz at 44.1, 48,
// 88.2 and 96 kHz. Echo, reverb and compressor are measured on the engine's outputs.
#include "EngineTestSupport.h"
#include "support/TempFolder.h"
#include "test_dsp_signals.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"
#include "engine/dsp/TrackEffects.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <numbers>

using namespace vl::engine;

namespace {

// Phase of the effects' answer to a sine of `hz`, in radians, once it has settled.
double phaseAt(dsp::TrackEffects& effects, double hz, double rate) {
    const auto period = rate / hz;
    const auto settle = static_cast<std::size_t>(0.1 * rate);
    const auto measured = static_cast<std::size_t>(std::round(std::ceil(0.1 * hz) * period));
    dsp::testing::Stereo s(settle + measured);
    for (std::size_t i = 0; i < s.size(); ++i)
        s.left[i] = s.right[i] = static_cast<float>(0.25 * std::sin(2.0 * std::numbers::pi * hz * i / rate));
    dsp::testing::inBlocks(s, [&](float* l, float* r, int n) { effects.process(l, r, n); });
    double inPhase = 0.0, quadrature = 0.0;
    for (std::size_t i = settle; i < s.size(); ++i) {
        const double w = 2.0 * std::numbers::pi * hz * i / rate;
        inPhase += s.left[i] * std::sin(w);
        quadrature += s.left[i] * std::cos(w);
    }
    return std::atan2(quadrature, inPhase);
}

// A peaking band shifts the phase up below its centre and down above it, and not at all
// at the centre: found by bisection, the band's own gain raised.
double bandCentre(double rate, double nominalHz, const dsp::EqParams& eq) {
    dsp::TrackEffects effects(rate);
    dsp::TrackEffectSettings settings;
    settings.eq = eq;
    effects.apply(settings);
    double low = nominalHz / 1.3, high = nominalHz * 1.3;
    for (int i = 0; i < 16; ++i) {
        const double mid = std::sqrt(low * high);
        (phaseAt(effects, mid, rate) > 0.0 ? low : high) = mid;
    }
    return std::sqrt(low * high);
}

std::vector<double> energyFrom(const std::vector<float>& l, const std::vector<float>& r, std::size_t from) {
    std::vector<double> e;
    for (std::size_t i = from; i < l.size(); ++i)
        e.push_back(double(l[i]) * l[i] + double(r[i]) * r[i]);
    return e;
}

struct Measured {
    double echoMs, reverbSeconds, releaseMs;
    double lowHz, midHz, highHz;
};

Measured measureAt(int rate, const std::filesystem::path& dir) {
    Measured m{};
    const auto path = [&](const char* name) { return (dir / name).string(); };
    // Files at the device's rate play sample for sample, so a click stays one sample.
    vl::test::writeAudio(
        dir / "click.wav", rate, 2, int64_t(4.5 * rate), [](int64_t f, int) { return f == 0 ? 0.5f : 0.0f; },
        SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    // Loud above the threshold, then quiet below it: the compressor releases.
    const auto drop = int64_t(0.3 * rate);
    vl::test::writeAudio(
        dir / "step.wav", rate, 2, int64_t(1.2 * rate),
        [&](int64_t f, int) { return f < drop ? 0.5f : 0.02f; }, SF_FORMAT_WAV | SF_FORMAT_FLOAT);

    Engine engine({.decodingThread = false});
    ManualDevice& device = engine.openManualDevice(rate);
    for (int t = 1; t <= 8; ++t)
        engine.setTrackFile(t, 0, 1.0f, 0, path("none").c_str());
    engine.setTrackFile(1, 0, 1.0f, 0, path("click.wav").c_str()); // echo alone, all wet
    engine.setTrackFile(2, 1, 1.0f, 0, path("click.wav").c_str()); // reverb at 0 dB
    engine.setTrackFile(3, 2, 1.0f, 0, path("step.wav").c_str());  // compressor
    engine.setBusEffectLevels(96, 200);
    engine.sendEffects(1, 0, 100);
    engine.sendEffects(2, 100, 0);
    EXPECT_EQ(engine.play(false, true, nullptr), 1); // 400 ms echo, 3000 ms reverb
    engine.setCompressor(3, 4, -20, 200, 0);
    const vl::test::Outputs out = vl::test::renderFrames(engine, device, int(4.5 * rate));

    std::size_t echoAt = 1;
    while (echoAt < out[0].size() && out[0][echoAt] == 0.0f)
        ++echoAt;
    m.echoMs = 1000.0 * double(echoAt) / rate;

    m.reverbSeconds = dsp::testing::schroederRt60(energyFrom(out[2], out[3], 1), rate);

    // The reduction falls by e in one release time.
    const auto reductionDb = [&](std::size_t i, float in) {
        return -20.0 * std::log10(out[4][i] / (in * kTrackLevel));
    };
    const double held = reductionDb(std::size_t(drop - 1), 0.5f);
    std::size_t i = std::size_t(drop);
    while (i < out[4].size() && reductionDb(i, 0.02f) > held / std::numbers::e)
        ++i;
    m.releaseMs = 1000.0 * double(i - std::size_t(drop)) / rate;

    m.lowHz = bandCentre(rate, dsp::ParametricEq::kLowHz, {12.0f, 0.0f, 0.0f});
    m.midHz = bandCentre(rate, dsp::ParametricEq::kMidHz, {0.0f, 12.0f, 0.0f});
    m.highHz = bandCentre(rate, dsp::ParametricEq::kHighHz, {0.0f, 0.0f, 12.0f});
    return m;
}

} // namespace

TEST(DspDeviceRates, EffectsKeepTheirTimesAndFrequenciesAtEveryDeviceRate) {
    vl::test::TempFolder dir;
    const Measured at44 = measureAt(44100, dir.path());
    for (int rate : {44100, 48000, 88200, 96000}) {
        SCOPED_TRACE(rate);
        const Measured m = rate == 44100 ? at44 : measureAt(rate, dir.path());
        std::printf("%6d Hz: echo %.2f ms, eq %.2f / %.2f / %.1f Hz, reverb %.3f s, release %.1f ms\n", rate,
                    m.echoMs, m.lowHz, m.midHz, m.highHz, m.reverbSeconds, m.releaseMs);
        EXPECT_NEAR(m.echoMs, 400.0, 1000.0 / rate);
        EXPECT_NEAR(m.lowHz, 80.0, 0.4);
        EXPECT_NEAR(m.midHz, 450.0, 2.0);
        EXPECT_NEAR(m.highHz, 10000.0, 50.0);
        EXPECT_NEAR(m.reverbSeconds, 3.0, 0.45);
        EXPECT_NEAR(m.reverbSeconds, at44.reverbSeconds, 0.03 * at44.reverbSeconds);
        EXPECT_NEAR(m.releaseMs, 200.0, 4.0);
    }
}
