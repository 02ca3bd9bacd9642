// What measuring a song costs (VL_Play(1)) with eight five-minute tracks: whole files
// cost one seek and a chunk each to show their header is true; files cut to half their
// promised length are measured by bisection.
#include "BenchEngineMedia.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace vl::engine;

namespace {

void measureSong(benchmark::State& state, int format, const char* extension, bool cut) {
    static vl::bench::MediaFolder media;
    const std::string name = std::string(cut ? "cut" : "whole") + extension;
    auto tracks = media.song(name, 300.0, 44100, format, extension);
    if (cut)
        for (const auto& t : tracks)
            if (std::filesystem::file_size(t) > 1000000)
                std::filesystem::resize_file(t, std::filesystem::file_size(t) / 2);
    Engine engine({.decodingThread = false});
    vl::bench::loadSong(engine, tracks);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.play(true, true, nullptr));
    state.counters["seconds"] = double(engine.maxLength()) / 176400.0;
}

void BM_MeasureWholeFlacSong(benchmark::State& state) {
    measureSong(state, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, ".flac", false);
}
void BM_MeasureCutFlacSong(benchmark::State& state) {
    measureSong(state, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, ".flac", true);
}
void BM_MeasureWholeMp3Song(benchmark::State& state) {
    measureSong(state, vl::bench::kMp3, ".mp3", false);
}

} // namespace

BENCHMARK(BM_MeasureWholeFlacSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureCutFlacSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureWholeMp3Song)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
