// Track effects on an audio thread while the UI thread switches sends on and off and
// moves every parameter, alone and through the engine: no allocation on the audio thread, and (in the tsan
// build) no data race between the two.
#include "EngineTestSupport.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"
#include "engine/dsp/EffectBus.h"
#include "engine/dsp/TrackEffectsSet.h"
#include "test_dsp_signals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>

// The sanitizer runtimes (asan and tsan builds) report every malloc to a hook.
extern "C" [[gnu::weak]] int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*,
                                                                                std::size_t),
                                                                       void (*)(const volatile void*));

using namespace vl::engine::dsp;
using namespace vl::engine::dsp::testing;

namespace {

thread_local bool countHere = false;
std::atomic<int> allocations{0};

void onMalloc(const volatile void*, std::size_t) {
    if (countHere) allocations.fetch_add(1, std::memory_order_relaxed);
}
void onFree(const volatile void*) {}

bool hooksInstalled() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks &&
                                  __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
    return installed;
}

} // namespace

TEST(DspRealtime, SwitchingSendsNeverAllocatesOnTheAudioThread) {
    if (!hooksInstalled()) GTEST_SKIP() << "needs the asan or tsan build";
    // The counter itself works: an allocation in a counted stretch is seen.
    countHere = true;
    int* volatile probe = new int(1); // volatile: the optimiser may not drop it
    countHere = false;
    delete probe;
    ASSERT_EQ(allocations.exchange(0), 1);

    const TrackEffectsSet effects;
    EffectBus bus;
    bus.setBusLevels(90, 150);
    bus.attach(effects.pointers());

    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        Stereo block = noise(256, 0.5, 1);
        Stereo scratch(256);
        countHere = true;
        for (int b = 0; b < 1000; ++b) {
            for (int t = 1; t <= EffectBus::kTracks; ++t) {
                std::copy(block.left.begin(), block.left.end(), scratch.left.begin());
                std::copy(block.right.begin(), block.right.end(), scratch.right.begin());
                effects[t]->process(scratch.left.data(), scratch.right.data(), 256);
            }
            blocks.store(b + 1, std::memory_order_relaxed);
        }
        countHere = false;
        done = true;
    });
    int round = 0;
    while (!done) {
        ++round;
        for (int t = 1; t <= EffectBus::kTracks; ++t) {
            const bool on = ((round + t) % 3) != 0;
            bus.sendEffects(t, static_cast<int16_t>(on ? 40 + t : 0),
                            static_cast<int16_t>((round + t) % 2 ? 70 : 0));
            bus.setEq(t, static_cast<float>(round % 31 - 15), 3.0f, -4.0f);
            bus.setCompressor(t, 1 + round % 8, -(round % 40), 10 + round % 990, round % 6);
        }
        bus.setBusReverb(round % 11);
        bus.setBusDelay(round % 1001, round % 11);
        std::this_thread::yield();
    }
    audio.join();
    EXPECT_EQ(blocks.load(), 1000);
    EXPECT_GT(round, 10);
    EXPECT_EQ(allocations.load(), 0);
}

TEST(DspRealtime, EngineCallbackNeverAllocatesWhileSendsSwitch) {
    if (!hooksInstalled()) GTEST_SKIP() << "needs the asan or tsan build";
    vl::test::TempFolder dir;
    vl::test::writeTone(dir / "a.wav", 44100, 2, 3.0, 330.0, 0.4f);
    vl::test::writeTone(dir / "b.wav", 22050, 1, 3.0, 550.0, 0.4f);
    vl::engine::Engine engine;
    vl::engine::ManualDevice& device = engine.openManualDevice();
    for (int t = 1; t <= EffectBus::kTracks; ++t)
        engine.setTrackFile(t, static_cast<uint8_t>(t % 4), 0.5f, 0,
                            (dir / (t % 2 ? "a.wav" : "b.wav")).c_str());
    engine.setBusEffectLevels(80, 120);
    engine.sendEffects(2, 60, 60);
    ASSERT_EQ(engine.play(false, true, nullptr), 1);

    allocations = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        std::vector<float> buffer(8 * 256);
        float* channels[8];
        for (int c = 0; c < 8; ++c)
            channels[c] = buffer.data() + c * 256;
        countHere = true;
        while (!stop.load()) {
            device.render(channels, 256);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
        countHere = false;
    });
    for (int round = 0; round < 300 || blocks.load() < 400; ++round) {
        for (int t = 1; t <= EffectBus::kTracks; ++t) {
            engine.sendEffects(t, static_cast<int16_t>((round + t) % 3 ? 50 : 0),
                               static_cast<int16_t>((round + t) % 2 ? 30 : 0));
            engine.setEq(t, static_cast<float>(round % 31 - 15), 0.0f, 5.0f);
            engine.setCompressor(t, 1 + round % 6, -(round % 30), 10 + round % 500, 0);
        }
        engine.setBusReverb(round % 11);
        engine.setBusDelay(round % 700, round % 11);
        if (round == 150) {
            ASSERT_EQ(engine.play(false, true, nullptr), 1); // a new graph mid-way
        }
        std::this_thread::yield();
    }
    stop = true;
    audio.join();
    engine.stop();
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(blocks.load(), 0);
}
