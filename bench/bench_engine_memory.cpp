// Peak memory while eight five-minute tracks play through: tracks stream through their
// rings, they are never loaded whole. And what a next song of eight tracks, prepared beside
// the playing one, adds.
#include "BenchEngineMedia.h"

#include "engine/devices/ManualDevice.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include <array>

using namespace vl::engine;

namespace {

double residentMb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

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

void BM_MemoryOfTheNextSongPreparedBeside(benchmark::State& state) {
    vl::bench::MediaFolder media;
    const auto playing = media.song("playing", 60.0, 44100);
    const auto next = media.song("next", 300.0, 44100, vl::bench::kMp3, ".mp3");
    Engine engine({.decodingThread = false});
    engine.openManualDevice();
    vl::bench::loadSong(engine, playing);
    engine.play(false, true, nullptr);
    engine.serviceDecoder();
    double added = 0;
    for (auto _ : state) {
        const double before = residentMb();
        engine.beginNextSong();
        vl::bench::loadSong(engine, next);
        engine.prepare(true);
        engine.hasPrepared();
        added = residentMb() - before;
    }
    state.counters["resident_added_MB"] = added;
    engine.stop();
}

} // namespace

BENCHMARK(BM_PeakMemoryEightFiveMinuteTracks)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_MemoryOfTheNextSongPreparedBeside)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
