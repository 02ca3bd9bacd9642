// Cost of the track effects: each effect alone on one track, and eight tracks with all
// four effects switched on, in 256-frame blocks. "x_realtime" is seconds of audio
// rendered per second of one core.
#include "engine/dsp/Compressor.h"
#include "engine/dsp/Echo.h"
#include "engine/dsp/EffectBus.h"
#include "engine/dsp/ParametricEq.h"
#include "engine/dsp/Reverb.h"
#include "engine/dsp/TrackEffects.h"
#include "engine/dsp/TrackEffectsSet.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

using namespace vl::engine::dsp;

namespace {

constexpr int kBlock = 256;
constexpr double kRate = 44100.0;

struct Block {
    std::vector<float> sourceL, sourceR, left, right;
    Block() : sourceL(kBlock), sourceR(kBlock), left(kBlock), right(kBlock) {
        std::mt19937 rng(42);
        std::uniform_real_distribution<float> d(-0.7f, 0.7f);
        for (int i = 0; i < kBlock; ++i) {
            sourceL[i] = d(rng);
            sourceR[i] = d(rng);
        }
    }
    void refill() {
        std::copy(sourceL.begin(), sourceL.end(), left.begin());
        std::copy(sourceR.begin(), sourceR.end(), right.begin());
    }
};

void report(benchmark::State& state, int tracks) {
    const double frames = static_cast<double>(state.iterations()) * kBlock;
    state.counters["x_realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
    state.counters["s_per_track_block"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * tracks,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <typename Effect, typename Params> void runAlone(benchmark::State& state, const Params& params) {
    auto effect = std::make_unique<Effect>();
    effect->setParams(params);
    Block b;
    for (auto _ : state) {
        b.refill();
        effect->process(b.left.data(), b.right.data(), kBlock);
        benchmark::DoNotOptimize(b.left.data());
    }
    report(state, 1);
}

void BM_Equaliser(benchmark::State& state) {
    runAlone<ParametricEq>(state, EqParams{4.0f, -3.0f, 6.0f});
}
void BM_Compressor(benchmark::State& state) {
    CompressorParams p;
    p.ratio = 4.0f;
    p.thresholdDb = -20.0f;
    p.releaseMs = 200.0f;
    runAlone<Compressor>(state, p);
}
void BM_Reverb(benchmark::State& state) {
    runAlone<Reverb>(state, ReverbParams{0.0f, -10.0f, 3000.0f, 0.001f});
}
void BM_Echo(benchmark::State& state) {
    runAlone<Echo>(state, EchoParams{40.0f, 30.0f, 400.0f, 400.0f, true});
}

// The whole chain as the engine drives it: eight tracks, all sends on.
void BM_EightTracksAllEffects(benchmark::State& state) {
    const TrackEffectsSet effects;
    EffectBus bus;
    bus.setBusLevels(90, 100);
    bus.attach(effects.pointers());
    for (int t = 1; t <= EffectBus::kTracks; ++t) {
        bus.sendEffects(t, 80, 60);
        bus.setEq(t, 3.0f, -2.0f, 5.0f);
        bus.setCompressor(t, 4, -24, 150, 2);
    }
    bus.setBusReverb(4);
    bus.setBusDelay(350, 2);
    std::vector<Block> blocks(EffectBus::kTracks);
    // Past the switch-on fades, so every effect runs in full.
    for (int warm = 0; warm < 8; ++warm)
        for (int t = 1; t <= EffectBus::kTracks; ++t) {
            blocks[t - 1].refill();
            effects[t]->process(blocks[t - 1].left.data(), blocks[t - 1].right.data(), kBlock);
        }
    for (auto _ : state) {
        for (int t = 1; t <= EffectBus::kTracks; ++t) {
            Block& b = blocks[t - 1];
            b.refill();
            effects[t]->process(b.left.data(), b.right.data(), kBlock);
            benchmark::DoNotOptimize(b.left.data());
        }
    }
    report(state, EffectBus::kTracks);
}

// The block in which a send comes back on while the memory of its reverb and echo is
// still being wiped after switching off: the audio callback's worst block for one track.
// Timed alone (manual time).
void BM_SendBackOnWhileClearing(benchmark::State& state) {
    TrackEffects effects;
    TrackEffectSettings on;
    on.reverbOn = on.echoOn = true;
    on.reverb = ReverbParams{0.0f, -6.0f, 3000.0f, 0.001f};
    on.echo = EchoParams{40.0f, 30.0f, 400.0f, 400.0f, true};
    TrackEffectSettings off = on;
    off.reverbOn = off.echoOn = false;
    Block b;
    const auto block = [&] {
        b.refill();
        effects.process(b.left.data(), b.right.data(), kBlock);
    };
    for (auto _ : state) {
        effects.apply(on);
        for (int i = 0; i < 4; ++i)
            block();
        effects.apply(off);
        block(); // the fade out: the wipe starts with the next block
        effects.apply(on);
        const auto started = std::chrono::steady_clock::now();
        block();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        state.SetIterationTime(seconds);
        // Back to a steady state for the next round, untimed.
        for (int i = 0; i < 64; ++i)
            block();
    }
}

} // namespace

BENCHMARK(BM_SendBackOnWhileClearing)->UseManualTime();
BENCHMARK(BM_Equaliser);
BENCHMARK(BM_Compressor);
BENCHMARK(BM_Reverb);
BENCHMARK(BM_Echo);
BENCHMARK(BM_EightTracksAllEffects);
BENCHMARK_MAIN();
