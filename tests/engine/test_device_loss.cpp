// A sound server that dies while a song plays: the engine notices within a second, stays
// silent without crashing, and reopens the same device by itself once the server is back
// (or at the next play at the latest). Each test runs and kills servers of its own.
#include "EngineTestSupport.h"
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/JackDevice.h"
#include "vellamorinth_engine.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <thread>

using namespace vl::engine;
using namespace std::chrono_literals;
using vl::test::ScopedEnv;

namespace {

// How long it took the engine to reach `state`; nothing when it did not within `limit`.
std::optional<std::chrono::milliseconds> waitForState(const Engine& e, DeviceState state,
                                                      std::chrono::milliseconds limit) {
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        if (e.deviceState() == state) return took;
        if (took > limit) return std::nullopt;
        std::this_thread::sleep_for(10ms);
    }
}

// The level of out_1 as a fresh JACK client records it.
double jackLevel() {
    vl::test::JackRecorder recorder(8820);
    if (!recorder.ok() || !recorder.connectFrom(kJackClientName)) return -1.0;
    recorder.start();
    if (!recorder.waitFor(8820)) return -1.0;
    return vl::test::rms(recorder.channel(0));
}

// The loss is reported within a second, and nothing is rendered while the device is gone:
// the song neither sounds nor runs ahead.
void expectNoticedAndSilent(const Engine& e) {
    const auto noticed = waitForState(e, DeviceState::Lost, 5s);
    ASSERT_TRUE(noticed) << "the loss was never reported";
    EXPECT_LT(*noticed, 1s);
    const uint64_t frames = e.counters().frames.load();
    const uint32_t position = e.songPosition();
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(e.counters().frames.load(), frames);
    EXPECT_EQ(e.songPosition(), position);
    EXPECT_EQ(e.deviceState(), DeviceState::Lost);
}

} // namespace

TEST(DeviceLoss, KilledJackServerIsNoticedAndTheSongSoundsAgainOnceItIsBack) {
    vl::test::PrivateJackServer server("vltest-loss-" + std::to_string(getpid()));
    ASSERT_TRUE(server.start());
    ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    vl::test::TempFolder dir;
    vl::test::writeTone(dir / "tone.wav", 44100, 2, 30.0, 441.0, 0.5f);

    Engine e;
    ASSERT_TRUE(vl::test::openListed(e, "JACK"));
    vl::test::loadTracks(e, dir.path(), {{"tone.wav", 0}});
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    EXPECT_NEAR(jackLevel(), vl::test::toneRms(0.5), vl::test::toneRms(0.5) * 0.05);
    EXPECT_EQ(e.deviceState(), DeviceState::Fine);

    server.kill();
    expectNoticedAndSilent(e);
    EXPECT_EQ(e.playing(), 1);

    // No call from here on: the engine finds the server again and the song goes on.
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(waitForState(e, DeviceState::Fine, 5s));
    EXPECT_NEAR(jackLevel(), vl::test::toneRms(0.5), vl::test::toneRms(0.5) * 0.05);
    EXPECT_EQ(e.counters().underruns.load(), 0u);
    e.quit();
    EXPECT_EQ(e.deviceState(), DeviceState::Fine);
}

// The driver list asks for a JACK server while the engine's own client has just lost its
// server (the settings window opened as the server died), with a PulseAudio server running
// as on a desktop: the dead client is closed without a crash and the song comes back.
TEST(DeviceLoss, JackAskedForWhileItsDeadClientIsOpenDoesNotCrashTheClose) {
    vl::test::TempFolder dir;
    vl::test::PrivatePulseServer pulse(dir / "pulse");
    ASSERT_TRUE(pulse.start());
    ScopedEnv pulseEnv("PULSE_SERVER", pulse.address());
    vl::test::PrivateJackServer server("vltest-asked-" + std::to_string(getpid()));
    ASSERT_TRUE(server.start());
    ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    vl::test::writeTone(dir / "tone.wav", 44100, 2, 30.0, 441.0, 0.5f);
    Engine e;
    ASSERT_TRUE(vl::test::openListed(e, "JACK"));
    vl::test::loadTracks(e, dir.path(), {{"tone.wav", 0}});
    ASSERT_EQ(e.play(false, true, nullptr), 1);

    server.kill();
    const auto killed = std::chrono::steady_clock::now();
    bool answered = false;
    while (std::chrono::steady_clock::now() - killed < 1s) {
        answered = answered || jackServerRunning();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(answered);
    EXPECT_EQ(e.deviceState(), DeviceState::Lost);

    ASSERT_TRUE(server.start());
    ASSERT_TRUE(waitForState(e, DeviceState::Fine, 5s));
    EXPECT_NEAR(jackLevel(), vl::test::toneRms(0.5), vl::test::toneRms(0.5) * 0.05);
    e.quit();
}

TEST(DeviceLoss, WithoutRetriesInBetweenPlayOpensTheDeviceOnceTheServerAnswers) {
    vl::test::PrivateJackServer server("vltest-replay-" + std::to_string(getpid()));
    ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    vl::test::TempFolder dir;
    vl::test::writeTone(dir / "tone.wav", 44100, 2, 30.0, 441.0, 0.5f);
    EngineOptions options;
    options.deviceRetry = std::chrono::hours(1);
    Engine e(options);
    vl::test::loadTracks(e, dir.path(), {{"tone.wav", 0}});

    // Chosen before its server runs: kept, and reported.
    EXPECT_FALSE(e.openDevice(std::make_unique<JackDevice>()));
    EXPECT_EQ(e.deviceState(), DeviceState::Unavailable);
    EXPECT_EQ(e.play(false, true, nullptr), 0);
    ASSERT_TRUE(server.start());
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    EXPECT_EQ(e.deviceState(), DeviceState::Fine);
    EXPECT_NEAR(jackLevel(), vl::test::toneRms(0.5), vl::test::toneRms(0.5) * 0.05);

    server.kill();
    ASSERT_TRUE(waitForState(e, DeviceState::Lost, 5s));
    EXPECT_EQ(e.play(false, true, nullptr), 0) << "no device answers";
    EXPECT_EQ(e.playing(), 0);
    ASSERT_TRUE(server.start());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(e.deviceState(), DeviceState::Lost) << "no retry in between";
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    EXPECT_EQ(e.deviceState(), DeviceState::Fine);
    EXPECT_NEAR(jackLevel(), vl::test::toneRms(0.5), vl::test::toneRms(0.5) * 0.05);
    e.quit();
}

TEST(DeviceLoss, HangingServerIsReportedAndTheReportClearsWhenItGoesOn) {
    vl::test::PrivateJackServer server("vltest-hang-" + std::to_string(getpid()));
    ASSERT_TRUE(server.start());
    ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    Engine e;
    ASSERT_TRUE(e.openDevice(std::make_unique<JackDevice>()));
    ASSERT_TRUE(waitForState(e, DeviceState::Fine, 1s));
    std::this_thread::sleep_for(300ms); // past the first blocks

    server.freeze();
    const auto noticed = waitForState(e, DeviceState::Lost, 5s);
    ASSERT_TRUE(noticed);
    EXPECT_LT(*noticed, 1s);
    server.thaw();
    EXPECT_TRUE(waitForState(e, DeviceState::Fine, 2s));
    EXPECT_FALSE(e.device()->lost()) << "kept open, not reopened";
    e.quit();
}

// The same for ordinary devices, through both of RtAudio's ways to a PulseAudio server:
// its own sink entry, and ALSA's default device through ALSA's pulse plugin.
TEST(DeviceLoss, KilledPulseServerIsNoticedAndEachOrdinaryDeviceOnItComesBack) {
    // ALSA reads its configuration once, maybe before this server ran (other tests in the
    // same process): its default device goes to the server only when read again.
    snd_config_update_free_global();
    vl::test::TempFolder dir;
    vl::test::PrivatePulseServer server(dir / "pulse");
    ASSERT_TRUE(server.start());
    ScopedEnv env("PULSE_SERVER", server.address());
    vl::test::writeTone(dir / "tone.wav", 44100, 2, 30.0, 441.0, 0.5f);
    auto heard = [] {
        const vl::test::Stereo s = vl::test::recordNullSink(22050);
        const std::size_t period = vl::test::medianPeriod(s.left);
        return period >= 99 && period <= 101 ? vl::test::rms(s.left, 11025) : 0.0;
    };

    Engine e;
    for (const std::string name : {vl::test::kNullSinkListed, "ALSA: default"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(vl::test::openListed(e, name));
        vl::test::loadTracks(e, dir.path(), {{"tone.wav", 0}});
        ASSERT_EQ(e.play(false, true, nullptr), 1);
        EXPECT_GT(heard(), vl::test::toneRms(0.5) * 0.3);

        server.kill();
        expectNoticedAndSilent(e);

        ASSERT_TRUE(server.start());
        ASSERT_TRUE(waitForState(e, DeviceState::Fine, 5s));
        EXPECT_GT(heard(), vl::test::toneRms(0.5) * 0.3);
    }
    e.quit();
}

TEST(DeviceLoss, UnpluggedSinkIsNoticedAndTheSameDeviceOpensWhenItIsBack) {
    vl::test::TempFolder dir;
    vl::test::PrivatePulseServer server(dir / "pulse");
    ASSERT_TRUE(server.start());
    ScopedEnv env("PULSE_SERVER", server.address());
    vl::test::writeTone(dir / "tone.wav", 44100, 2, 30.0, 441.0, 0.5f);
    Engine e;
    ASSERT_TRUE(vl::test::openListed(e, vl::test::kNullSinkListed));
    vl::test::loadTracks(e, dir.path(), {{"tone.wav", 0}});
    ASSERT_EQ(e.play(false, true, nullptr), 1);

    ASSERT_TRUE(server.unplugSink());
    expectNoticedAndSilent(e);
    ASSERT_TRUE(server.plugSinkIn());
    ASSERT_TRUE(waitForState(e, DeviceState::Fine, 5s));
    const vl::test::Stereo s = vl::test::recordNullSink(22050);
    EXPECT_NEAR(vl::test::medianWindowRms(s.left, 11025), vl::test::toneRms(0.5), vl::test::toneRms(0.5) * 0.05);
    e.quit();
}

// What the program sees through the module's C interface, bound by name as it binds it.
TEST(DeviceLoss, ModuleReportsTheLossThroughItsExtraFunction) {
    vl::test::PrivateJackServer server("vltest-module-" + std::to_string(getpid()));
    ASSERT_TRUE(server.start());
    ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    void* module = dlopen(VL_BIN_DIR "/libvellamorinth-engine.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto init = reinterpret_cast<int32_t (*)(int32_t, void*)>(dlsym(module, "VL_InitAudioDriver"));
    auto name = reinterpret_cast<const char* (*)(int32_t)>(dlsym(module, "VL_GetDriverName"));
    auto state = reinterpret_cast<int32_t (*)()>(dlsym(module, "VL_GetDeviceState"));
    auto quit = reinterpret_cast<void (*)()>(dlsym(module, "VL_Quit"));
    ASSERT_TRUE(init && name && state && quit);

    EXPECT_EQ(state(), VL_DEVICE_FINE);
    init(-1, nullptr);
    int jack = 0;
    while (jack < 17 && std::string(name(jack)) != "JACK")
        ++jack;
    ASSERT_LT(jack, 17);
    ASSERT_EQ(init(jack, nullptr), 1);
    EXPECT_EQ(state(), VL_DEVICE_FINE);
    server.kill();
    const auto started = std::chrono::steady_clock::now();
    while (state() != VL_DEVICE_LOST && std::chrono::steady_clock::now() - started < 5s)
        std::this_thread::sleep_for(10ms);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_EQ(state(), VL_DEVICE_LOST);
    ASSERT_TRUE(server.start());
    while (state() != VL_DEVICE_FINE && std::chrono::steady_clock::now() - started < 10s)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(state(), VL_DEVICE_FINE);
    quit();
    EXPECT_EQ(state(), VL_DEVICE_FINE);
    dlclose(module);
}
