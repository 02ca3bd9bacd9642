// CPU cost of a 1080p H.264 video while eight audio tracks play in real time on the
// "No sound" device (the engine's own paced thread), and the audio underruns meanwhile.
// Compare the process's CPU share with and without the video. VL_BENCH_VIDEO_SECONDS sets
// the length (default 20).
#include "BenchEngineMedia.h"
#include "tests/engine/VideoTestSink.h"

#include "engine/devices/NoSoundDevice.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace vl::engine;

namespace {

double seconds() {
    const char* env = std::getenv("VL_BENCH_VIDEO_SECONDS");
    return env ? std::atof(env) : 20.0;
}

vl::bench::MediaFolder& media() {
    static vl::bench::MediaFolder folder;
    return folder;
}

double processCpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

void playEightTracks(benchmark::State& state, bool withVideo) {
    const double length = seconds();
    auto tracks = media().song("wav", length + 5, 44100);
    const auto video = media().path() / "video1080p.mp4";
    if (withVideo && !std::filesystem::exists(video) &&
        !vl::test::counterVideo(video, length + 5, 30, "1920x1080",
                                "-c:v libx264 -preset veryfast -g 60 -c:a aac")) {
        state.SkipWithError("ffmpeg could not make the video");
        return;
    }
    Engine engine;
    if (!engine.openDevice(std::make_unique<NoSoundDevice>())) {
        state.SkipWithError("no device");
        return;
    }
    vl::bench::loadSong(engine, tracks);
    // The song's eight slots are all audio here, so the video plays from a second engine in
    // this process on a device of its own: eight tracks and a video, as the worst case.
    Engine videoEngine;
    if (!videoEngine.openDevice(std::make_unique<NoSoundDevice>())) {
        state.SkipWithError("no device");
        return;
    }
    for (int slot = 1; slot <= 8; ++slot)
        videoEngine.setTrackFile(slot, 0, 1.0f, 0, slot == 1 ? video.c_str() : "none");
    vl::test::VideoTestSink sink;
    sink.fitWidth = 1920; // full screen on a 1080p projector
    sink.fitHeight = 1080;
    double cpu = 0.0, wall = 0.0;
    for (auto _ : state) {
        const double cpuBefore = processCpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        engine.play(false, true, nullptr);
        if (withVideo) videoEngine.play(false, true, sink.sink());
        std::this_thread::sleep_for(std::chrono::duration<double>(length));
        videoEngine.stop();
        engine.stop();
        cpu += processCpuSeconds() - cpuBefore;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    }
    const auto& counters = engine.counters();
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["underruns"] = double(counters.underruns.load() + videoEngine.counters().underruns.load());
    state.counters["pictures_shown"] = double(sink.shown().size());
    state.counters["pictures_due"] = withVideo ? 30.0 * length * double(state.iterations()) : 0.0;
    state.counters["max_callback_us"] = double(counters.maxCallbackNanos.load()) / 1000.0;
    videoEngine.quit();
    engine.quit();
}

void BM_AudioTracksOnly(benchmark::State& state) { playEightTracks(state, false); }
void BM_AudioTracksWithVideo1080pH264(benchmark::State& state) { playEightTracks(state, true); }

} // namespace

BENCHMARK(BM_AudioTracksOnly)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_AudioTracksWithVideo1080pH264)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
