// Offline render speed of eight tracks on one core, the time from VL_Play to the first
// sound, and the measuring VL_Play.
#include "BenchEngineMedia.h"

#include "engine/devices/ManualDevice.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <ctime>

using namespace vl::engine;

namespace {

vl::bench::MediaFolder& media() {
    static vl::bench::MediaFolder folder;
    return folder;
}

constexpr double kSongSeconds = 30.0;
constexpr int kBlock = 512;

struct Block {
    std::array<float, kBlock * kOutputChannels> data{};
    std::array<float*, kOutputChannels> channels{};
    Block() {
        for (int c = 0; c < kOutputChannels; ++c)
            channels[c] = data.data() + c * kBlock;
    }
    bool silent() const {
        for (float v : data)
            if (v != 0.0f) return false;
        return true;
    }
};

// Decoding and mixing on this one thread: the whole song, as fast as it goes.
void renderSong(benchmark::State& state, const std::vector<std::string>& tracks, bool effects = false) {
    Engine engine({.decodingThread = false});
    ManualDevice& device = engine.openManualDevice();
    vl::bench::loadSong(engine, tracks);
    Block block;
    const int frames = static_cast<int>(kSongSeconds * kSampleRate);
    for (auto _ : state) {
        engine.play(false, true, nullptr);
        if (effects) vl::bench::allEffectsOn(engine);
        for (int done = 0; done < frames; done += kBlock) {
            engine.serviceDecoder();
            device.render(block.channels.data(), kBlock);
        }
        benchmark::DoNotOptimize(block.data.data());
        engine.stop();
    }
    state.counters["x_realtime"] =
        benchmark::Counter(kSongSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["underruns"] = double(engine.counters().underruns.load());
}

void BM_RenderEightWav44k(benchmark::State& state) {
    renderSong(state, media().song("wav44k", kSongSeconds, 44100));
}
void BM_RenderEightWav44kAllEffects(benchmark::State& state) {
    renderSong(state, media().song("wav44k", kSongSeconds, 44100), true);
}
void BM_RenderEightWav48kResampled(benchmark::State& state) {
    renderSong(state, media().song("wav48k", kSongSeconds, 48000));
}
void BM_RenderEightMp3(benchmark::State& state) {
    renderSong(state, media().song("mp3", kSongSeconds, 44100, vl::bench::kMp3, ".mp3"));
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The audio callback alone: eight tracks mixed, measured and clipped into the outputs from
// blocks the decoder has ready; the time of one 512-frame block.
void BM_CallbackEightWav44k(benchmark::State& state) {
    Engine engine({.decodingThread = false});
    ManualDevice& device = engine.openManualDevice();
    vl::bench::loadSong(engine, media().song("wav44k", kSongSeconds, 44100));
    Block block;
    const int frames = static_cast<int>(kSongSeconds * kSampleRate);
    int rendered = frames;
    for (auto _ : state) {
        if (rendered + kBlock > frames) {
            engine.stop();
            engine.play(false, true, nullptr);
            rendered = 0;
        }
        engine.serviceDecoder();
        // The thread's own processor time: other programs on the machine do not count.
        const double start = threadSeconds();
        device.render(block.channels.data(), kBlock);
        state.SetIterationTime(threadSeconds() - start);
        rendered += kBlock;
    }
    benchmark::DoNotOptimize(block.data.data());
    state.counters["underruns"] = double(engine.counters().underruns.load());
}

// With the decoding thread running, as in the program; the device asks for its next block
// right after VL_Play returns.
void playToFirstSound(benchmark::State& state, const std::vector<std::string>& tracks) {
    Engine engine;
    ManualDevice& device = engine.openManualDevice();
    vl::bench::loadSong(engine, tracks);
    Block block;
    int blocksUntilSound = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        engine.play(false, true, nullptr);
        int blocks = 0;
        do {
            device.render(block.channels.data(), kBlock);
            ++blocks;
        } while (block.silent() && blocks < 1000);
        const auto took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        blocksUntilSound = std::max(blocksUntilSound, blocks);
        engine.stop();
    }
    state.counters["blocks_until_sound"] = blocksUntilSound;
}

void BM_PlayToFirstSoundEightWav(benchmark::State& state) {
    playToFirstSound(state, media().song("wav44k", kSongSeconds, 44100));
}
void BM_PlayToFirstSoundEightMp3(benchmark::State& state) {
    playToFirstSound(state, media().song("mp3", kSongSeconds, 44100, vl::bench::kMp3, ".mp3"));
}

void measure(benchmark::State& state, const std::vector<std::string>& tracks) {
    Engine engine({.decodingThread = false});
    vl::bench::loadSong(engine, tracks);
    int length = 0;
    for (auto _ : state)
        length = engine.play(true, true, nullptr);
    state.counters["seconds"] = double(length) / 176400.0;
}

void BM_MeasureEightWav(benchmark::State& state) {
    measure(state, media().song("wav44k", kSongSeconds, 44100));
}
void BM_MeasureEightMp3(benchmark::State& state) {
    measure(state, media().song("mp3", kSongSeconds, 44100, vl::bench::kMp3, ".mp3"));
}

} // namespace

BENCHMARK(BM_RenderEightWav44k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderEightWav44kAllEffects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderEightWav48kResampled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderEightMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallbackEightWav44k)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayToFirstSoundEightWav)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayToFirstSoundEightMp3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureEightWav)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureEightMp3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
