// What LTC adds: the decoding thread's cost of writing it ahead (per second of timecode, at
// 48 kHz), and eight tracks with LTC on output 8 on a JACK server for 60 s while two threads
// keep both cores busy, beside the same song without LTC: underruns and callback time.
// Needs a running server (scripts/jack-dummy.sh); VL_BENCH_PLAY_SECONDS sets the length.
#include "BenchEngineMedia.h"

#include "engine/devices/JackDevice.h"
#include "engine/playback/StereoRing.h"
#include "engine/timecode/LtcSource.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

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

void BM_JackEightTracksWithLtcBothCoresBusy(benchmark::State& state) {
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
    std::atomic<bool> busy{true};
    std::vector<std::thread> burners;
    for (int core = 0; core < 2; ++core)
        burners.emplace_back([&] {
            volatile double x = 1.0;
            while (busy.load(std::memory_order_relaxed))
                x = x * 1.0000001 + 1e-9;
        });
    for (auto _ : state) {
        engine.play(false, true, nullptr);
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        engine.stop();
    }
    busy = false;
    for (auto& b : burners)
        b.join();
    const auto& counters = engine.counters();
    state.counters["underruns"] = double(counters.underruns.load());
    state.counters["max_callback_us"] = double(counters.maxCallbackNanos.load()) / 1000.0;
    state.counters["mean_callback_us"] = double(counters.callbackNanos.load()) / 1000.0 /
                                         double(std::max<uint64_t>(1, counters.blocks.load()));
    engine.quit();
}

} // namespace

BENCHMARK(BM_LtcWrittenAhead)->Arg(25)->Arg(2997);
BENCHMARK(BM_JackEightTracksWithLtcBothCoresBusy)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
