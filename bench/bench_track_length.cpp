// What measuring a song costs (VL_Play(1)) with eight five-minute tracks: whole files
// cost one seek and a chunk each to show their header is true; files cut to half their
// promised length are measured by bisection. AAC tracks (FFmpeg) cost an open, a seek and
// half a second decoded at the end; decoding one through shows what playing it costs.
#include "BenchEngineMedia.h"

#include <benchmark/benchmark.h>

#include "engine/playback/StereoRing.h"
#include "engine/playback/TrackDecoder.h"

#include <cstdlib>
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

// The WAV tracks of `name` encoded to AAC in M4A by FFmpeg, the index first, and cut to
// half when `cut`; made once.
std::vector<std::string> aacSong(vl::bench::MediaFolder& media, const std::string& name, bool cut = false) {
    std::vector<std::string> tracks = media.song(name, 300.0, 44100);
    for (auto& t : tracks) {
        const std::string m4a = t + ".m4a";
        if (!std::filesystem::exists(m4a)) {
            if (std::system(("ffmpeg -v error -y -i '" + t + "' -c:a aac -b:a 192k -movflags +faststart '" + m4a + "'")
                                .c_str()) != 0)
                std::fprintf(stderr, "cannot encode %s\n", m4a.c_str());
            else if (cut)
                std::filesystem::resize_file(m4a, std::filesystem::file_size(m4a) / 2);
        }
        t = m4a;
    }
    return tracks;
}

void measureAacSong(benchmark::State& state, bool cut) {
    static vl::bench::MediaFolder media;
    const auto tracks = aacSong(media, cut ? "cutaac" : "aac", cut);
    Engine engine({.decodingThread = false});
    vl::bench::loadSong(engine, tracks);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.play(true, true, nullptr));
    state.counters["seconds"] = double(engine.maxLength()) / 176400.0;
}

void BM_MeasureWholeAacSong(benchmark::State& state) { measureAacSong(state, false); }
void BM_MeasureCutAacSong(benchmark::State& state) { measureAacSong(state, true); }

// One five-minute AAC track decoded through to the ring as the decoding thread does.
void BM_DecodeAacTrack(benchmark::State& state) {
    static vl::bench::MediaFolder media;
    const auto tracks = aacSong(media, "aacdecode");
    StereoRing ring(1 << 14);
    double frames = 0;
    for (auto _ : state) {
        auto decoder = TrackDecoder::open(tracks[0]);
        if (!decoder || !decoder->seek(0)) {
            state.SkipWithError("cannot open the track");
            break;
        }
        while (!decoder->finished()) {
            frames += double(decoder->fill(ring, ring.writable()));
            ring.skip(ring.readable());
        }
    }
    state.counters["realtime"] = benchmark::Counter(frames / 44100.0, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_MeasureWholeAacSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureCutAacSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAacTrack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureWholeFlacSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureCutFlacSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureWholeMp3Song)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
