// Underruns over a long playback of eight tracks on a JACK server while another thread keeps
// a core busy, alone and with the next song of eight MP3 tracks prepared beside it every
// two seconds. Needs a running server (scripts/jack-dummy.sh); VL_BENCH_PLAY_SECONDS sets
// the length (default 300).
#include "BenchEngineMedia.h"

#include "engine/devices/JackDevice.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

using namespace vl::engine;

namespace {

void playWithBusyCore(benchmark::State& state, bool prepareBeside) {
    const char* env = std::getenv("VL_BENCH_PLAY_SECONDS");
    const double seconds = env ? std::atof(env) : 300.0;
    vl::bench::MediaFolder media;
    auto tracks = media.song("wav", seconds + 5, 44100);
    const auto resampled = media.song("wav48k", seconds + 5, 48000);
    for (int t = 4; t < 8; ++t)
        tracks[t] = resampled[t]; // half of them through the resampler
    const std::vector<std::vector<std::string>> nextSongs{media.song("mp3a", 60, 44100, vl::bench::kMp3, ".mp3"),
                                                          media.song("mp3b", 60, 44100, vl::bench::kMp3, ".mp3")};

    Engine engine;
    if (!engine.openDevice(std::make_unique<JackDevice>())) {
        state.SkipWithError("no JACK server");
        return;
    }
    vl::bench::loadSong(engine, tracks);
    std::atomic<bool> busy{true};
    std::thread burner([&] {
        volatile double x = 1.0;
        while (busy.load(std::memory_order_relaxed))
            x = x * 1.0000001 + 1e-9;
    });
    int prepared = 0;
    for (auto _ : state) {
        engine.play(false, true, nullptr);
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::seconds(prepareBeside ? 2 : 1));
            if (!prepareBeside) continue;
            // Another song each time, so that each is opened and decoded afresh.
            engine.beginNextSong();
            vl::bench::loadSong(engine, nextSongs[std::size_t(prepared % 2)]);
            prepared += engine.prepare(true);
        }
        engine.stop();
    }
    busy = false;
    burner.join();
    const auto& counters = engine.counters();
    state.counters["underruns"] = double(counters.underruns.load());
    state.counters["blocks"] = double(counters.blocks.load());
    state.counters["songs_prepared"] = prepared;
    state.counters["max_callback_us"] = double(counters.maxCallbackNanos.load()) / 1000.0;
    state.counters["mean_callback_us"] = double(counters.callbackNanos.load()) / 1000.0 /
                                         double(std::max<uint64_t>(1, counters.blocks.load()));
    engine.quit();
}

void BM_JackPlaybackWithBusyCore(benchmark::State& state) { playWithBusyCore(state, false); }
void BM_JackPlaybackWithTheNextSongPreparedBeside(benchmark::State& state) { playWithBusyCore(state, true); }

} // namespace

BENCHMARK(BM_JackPlaybackWithBusyCore)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_JackPlaybackWithTheNextSongPreparedBeside)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
