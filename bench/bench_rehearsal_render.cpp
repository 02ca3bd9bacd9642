// The rehearsal render's path: eight tracks with every effect, rendered through the offline
// device with the decoding done on the rendering thread between blocks, as fast as it goes.
#include "BenchEngineMedia.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

using namespace vl::engine;

namespace {

constexpr double kSongSeconds = 30.0;
constexpr int kBlock = 4096; // what the render command asks for at a time

void BM_RehearsalRenderEightTracksAllEffects(benchmark::State& state) {
    static vl::bench::MediaFolder media;
    const auto tracks = media.song("render", kSongSeconds, 44100);
    Engine engine; // with its decoding thread, as in the module
    engine.openOfflineDevice();
    vl::bench::loadSong(engine, tracks);
    std::vector<float> data(std::size_t(kBlock) * kOutputChannels);
    std::array<float*, kOutputChannels> channels{};
    for (int c = 0; c < kOutputChannels; ++c) channels[c] = data.data() + std::size_t(c) * kBlock;
    const int frames = static_cast<int>(kSongSeconds * kSampleRate);
    for (auto _ : state) {
        engine.play(false, true, nullptr);
        vl::bench::allEffectsOn(engine);
        for (int done = 0; done < frames; done += kBlock) engine.renderOffline(channels.data(), kBlock);
        benchmark::DoNotOptimize(data.data());
        engine.stop();
    }
    state.counters["x_realtime"] =
        benchmark::Counter(kSongSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["underruns"] = double(engine.counters().underruns.load());
}

} // namespace

BENCHMARK(BM_RehearsalRenderEightTracksAllEffects)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK_MAIN();
