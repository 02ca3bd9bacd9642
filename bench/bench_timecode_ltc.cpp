// What LTC adds: the decoding thread's cost of writing it ahead (per second of timecode, at
// 48 kHz), and eight tracks with LTC on output 8 (and MTC) on a JACK server for 60 s beside
// the same song without: the process's CPU, underruns and callback time. Needs a running
// server (scripts/jack-dummy.sh); run it beside a `yes > /dev/null` per core to see it hold
// with both cores busy. VL_BENCH_PLAY_SECONDS sets the length.
#include "BenchEngineMedia.h"

#include "engine/devices/JackDevice.h"
#include "engine/playback/StereoRing.h"
#include "engine/timecode/LtcSource.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace vl::engine;

namespace {

void BM_LtcWrittenAhead(benchmark::State& state) {
    constexpr int kRate = 48000;
    timecode::LtcSource ltc(timecode::rateFromCode(int(state.range(0))), 0, 0, kRate, 0.125f);
    StereoRing ring(kRate);
    for (auto _ : state) {
        ltc.fill(ring, kRate); // one second
        ring.skip(ring.readable());
    }
    // Share of one core that one second of timecode a second takes.
    state.counters["core_percent"] =
        benchmark::Counter(0.01, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The whole process's CPU (the decoding, timecode and audio threads) over the play time.
double processCpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

void BM_JackEightTracksWithLtc(benchmark::State& state) {
    const char* env = std::getenv("VL_BENCH_PLAY_SECONDS");
    const double seconds = env ? std::atof(env) : 60.0;
    vl::bench::MediaFolder media;
    const auto tracks = media.song("wav", seconds + 5, 44100);
    Engine engine;
    if (!engine.openDevice(std::make_unique<JackDevice>())) {
        state.SkipWithError("no JACK server");
        return;
    }
    vl::bench::loadSong(engine, tracks);
    timecode::TimecodeSettings settings;
    settings.ltcChannel = state.range(0) ? 8 : 0;
    settings.mtc = state.range(0) != 0;
    engine.setTimecode(settings);
    double cpu = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        engine.play(false, true, nullptr);
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        engine.stop();
        cpu = processCpuSeconds() - before;
    }
    state.counters["cpu_percent"] = 100.0 * cpu / seconds;
    vl::bench::reportCallback(state, engine);
    engine.quit();
}

} // namespace

BENCHMARK(BM_LtcWrittenAhead)->Arg(25)->Arg(2997);
BENCHMARK(BM_JackEightTracksWithLtc)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
