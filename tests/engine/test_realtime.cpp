// The audio callback neither allocates nor locks, on every device kind there is, and the
// hand-over between the UI thread and the callback survives open, play and quit cycles
// (run under ThreadSanitizer in the tsan build).
#include "EngineTestSupport.h"
#include "MidiFileWriter.h"
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/RealtimeThread.h"
#include "engine/devices/DeviceList.h"
#include "engine/devices/JackDevice.h"
#include "engine/devices/ManualDevice.h"
#include "engine/devices/NoSoundDevice.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

namespace {
std::atomic<int> audioThreadAllocations{0};
std::atomic<int> audioThreadLocks{0};

using LockFn = int (*)(pthread_mutex_t*);
LockFn realLock() {
    static const LockFn fn = reinterpret_cast<LockFn>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    return fn;
}
const LockFn resolvedAtStart = realLock();

// Out of line, so the compiler does not pair a visible new with free and warn.
[[gnu::noinline]] void release(void* p) noexcept {
    std::free(p);
}
} // namespace

// Every allocation and mutex lock of the test program passes here.
void* operator new(std::size_t size) {
    if (vl::engine::insideAudioCallback()) audioThreadAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
// std::stable_sort's buffer comes from the nothrow forms: they must pair with the delete below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (vl::engine::insideAudioCallback()) audioThreadAllocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
    if (vl::engine::insideAudioCallback()) audioThreadLocks.fetch_add(1, std::memory_order_relaxed);
    return (resolvedAtStart ? resolvedAtStart : realLock())(mutex);
}

using namespace vl::engine;
using namespace std::chrono_literals;

namespace {

class AudioThread : public ::testing::Test {
protected:
    void SetUp() override {
        vl::test::writeTone(dir / "a.wav", 44100, 2, 4.0, 440.0, 0.4f);
        vl::test::writeTone(dir / "b.wav", 48000, 1, 4.0, 660.0, 0.4f);
        vl::test::writeTone(dir / "c.flac", 22050, 2, 4.0, 220.0, 0.4f, 0x170002 /* FLAC 16 */);
        // An AAC track, decoded through FFmpeg on the decoding thread.
        ASSERT_EQ(std::system(("ffmpeg -v error -y -i '" + (dir / "a.wav").string() + "' -ar 48000 -c:a aac '" +
                               (dir / "e.m4a").string() + "'").c_str()),
                  0);
        // A MIDI track rendered with a sound font, its lyric rebuilding the texts meanwhile.
        std::vector<vl::test::SmfEvent> midi = {vl::test::channelMessage(0, 0xC0, 48)};
        for (uint32_t tick = 0; tick < vl::test::at(4.0); tick += 96) {
            midi.push_back(vl::test::channelMessage(tick, 0x90, static_cast<uint8_t>(48 + tick % 24), 100));
            midi.push_back(vl::test::meta(tick, 0x05, tick % 384 ? "la " : "la/"));
        }
        ASSERT_TRUE(vl::test::writeFile(dir / "d.mid", vl::test::buildSmf({midi})));
        audioThreadAllocations = 0;
        audioThreadLocks = 0;
    }

    void loadSlots(Engine& e) {
        e.setTrackFile(1, 0, 1.0f, 0, (dir / "a.wav").c_str());
        e.setTrackFile(2, 1, 0.7f, -30, (dir / "b.wav").c_str());
        e.setTrackFile(3, 2, 0.5f, 40, (dir / "c.flac").c_str());
        e.setTrackFile(4, 3, 1.0f, 0, (dir / "missing.wav").c_str());
        e.setTrackFile(5, 1, 0.8f, 20, (dir / "d.mid").c_str());
        e.setTrackFile(6, 2, 0.6f, -10, (dir / "e.m4a").c_str());
        e.setSoundFontPath("/usr/share/sounds/sf2/TimGM6mb.sf2");
    }

    // Play, change levels, stop and replay from the UI side while the device's own thread
    // runs the callback; `pump` drives the manual device.
    void exercise(Engine& e, const std::function<void()>& pump) {
        loadSlots(e);
        for (int round = 0; round < 3; ++round) {
            e.setStartPerMille(static_cast<uint32_t>(round * 200));
            ASSERT_EQ(e.play(false, true, nullptr), 1);
            const auto until = std::chrono::steady_clock::now() + 150ms;
            for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
                e.setTrackFile(1 + i % 3, static_cast<uint8_t>(i % 4), 0.1f * float(i % 10),
                               int16_t(i % 201 - 100), "");
                e.setMasterVolume(0.5f + 0.05f * float(i % 10));
                (void)e.songPosition();
                if (e.midiTextUpdated(false)) (void)e.midiText(2);
                pump();
                std::this_thread::sleep_for(2ms);
            }
            if (round == 1) e.stop();
        }
        e.stop();
    }

    // A device with its own audio thread: the UI side plays and changes levels meanwhile.
    void runOn(std::unique_ptr<OutputDevice> device) {
        Engine e;
        ASSERT_TRUE(e.openDevice(std::move(device)));
        // A PulseAudio server buffers a while before it asks steadily.
        for (int i = 0; i < 500 && e.counters().blocks.load() < 20; ++i)
            std::this_thread::sleep_for(10ms);
        const uint64_t before = e.counters().blocks.load();
        exercise(e, [] {});
        e.quit();
        EXPECT_GT(e.counters().blocks.load() - before, 20u);
        EXPECT_EQ(audioThreadAllocations.load(), 0);
        EXPECT_EQ(audioThreadLocks.load(), 0);
    }

    vl::test::TempFolder dir;
};

} // namespace

TEST_F(AudioThread, CountersCatchAnAllocationOrLockInsideTheCallbackSpan) {
    {
        AudioCallbackScope scope;
        // Through a volatile pointer: an allocation whose result goes unused may be dropped
        // by the optimiser, and the probe with it.
        int* volatile probe = new int(5);
        delete probe;
        std::mutex m;
        m.lock();
        m.unlock();
    }
    EXPECT_EQ(audioThreadAllocations.load(), 1);
    EXPECT_EQ(audioThreadLocks.load(), 1);
}

TEST_F(AudioThread, ManualDeviceNeitherAllocatesNorLocks) {
    Engine e({.decodingThread = false});
    ManualDevice& device = e.openManualDevice();
    double loudest = 0;
    exercise(e, [&] {
        const auto out = vl::test::renderFrames(e, device, 2048, 256);
        for (const auto& channel : out)
            loudest = std::max(loudest, vl::test::peak(channel));
    });
    EXPECT_GT(loudest, 0.1); // the tracks were mixed, not skipped
    EXPECT_EQ(e.soundFontLoads(), 1); // the MIDI track rendered, its font kept across the plays
    EXPECT_EQ(audioThreadAllocations.load(), 0);
    EXPECT_EQ(audioThreadLocks.load(), 0);
}

TEST_F(AudioThread, NoSoundDeviceNeitherAllocatesNorLocks) {
    runOn(std::make_unique<NoSoundDevice>());
}

TEST_F(AudioThread, JackDeviceNeitherAllocatesNorLocks) {
    if (!vl::test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
    runOn(std::make_unique<JackDevice>());
}

TEST_F(AudioThread, PulseAudioDeviceNeitherAllocatesNorLocks) {
    if (!vl::test::pulseAvailableOrFail()) GTEST_SKIP() << "no PulseAudio server";
    const DeviceList list = DeviceList::enumerate();
    const int sink = [&] {
        for (int i = 0; i < list.count(); ++i)
            if (std::string(list.name(i)) == vl::test::kNullSinkListed) return i;
        return -1;
    }();
    ASSERT_GE(sink, 0);
    runOn(list.makeDevice(sink));
}

TEST_F(AudioThread, OpenReopenAndQuitCyclesWhilePlaying) {
    const bool jack = vl::test::jackAvailableOrFail();
    Engine e;
    for (int cycle = 0; cycle < 4; ++cycle) {
        // Through the list for the no-sound device, directly for JACK.
        if (cycle % 2 == 1 && jack)
            ASSERT_TRUE(e.openDevice(std::make_unique<JackDevice>()));
        else
            ASSERT_EQ(e.initAudioDriver(0, nullptr), 1);
        loadSlots(e);
        ASSERT_EQ(e.play(false, true, nullptr), 1);
        std::this_thread::sleep_for(60ms);
        e.setTrackFile(2, 3, 0.2f, 100, "");
        if (cycle == 2) e.quit();
    }
    e.quit();
    EXPECT_EQ(e.playing(), 0);
    EXPECT_EQ(e.retiredGraphs(), 0u);
    EXPECT_EQ(audioThreadAllocations.load(), 0);
}
