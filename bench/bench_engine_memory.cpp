// Peak memory while eight five-minute tracks play through: tracks stream through their
// rings, they are never loaded whole.
#include "BenchEngineMedia.h"

#include "engine/devices/ManualDevice.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <array>

using namespace vl::engine;

namespace {

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_PeakMemoryEightFiveMinuteTracks(benchmark::State& state) {
    vl::bench::MediaFolder media;
    const auto tracks = media.song("long", 300.0, 44100);
    const double before = peakRssMb();
    constexpr int kBlock = 512;
    std::array<float, kBlock * kOutputChannels> data{};
    std::array<float*, kOutputChannels> channels{};
    for (int c = 0; c < kOutputChannels; ++c)
        channels[c] = data.data() + c * kBlock;
    Engine engine({.decodingThread = false});
    ManualDevice& device = engine.openManualDevice();
    vl::bench::loadSong(engine, tracks);
    for (auto _ : state) {
        engine.play(false, true, nullptr);
        for (int done = 0; done < 300 * kSampleRate; done += kBlock) {
            engine.serviceDecoder();
            device.render(channels.data(), kBlock);
        }
        engine.stop();
    }
    state.counters["peak_rss_MB"] = peakRssMb();
    state.counters["growth_MB"] = peakRssMb() - before;
    state.counters["underruns"] = double(engine.counters().underruns.load());
}

} // namespace

BENCHMARK(BM_PeakMemoryEightFiveMinuteTracks)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
