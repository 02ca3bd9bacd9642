// Driver initialisation: the device list, opening entries, the no-sound device's pace, and
// what stays safe when nothing opens.
#include "EngineTestSupport.h"
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ControlPanel.h"
#include "engine/devices/NoSoundDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

using namespace vl::engine;

namespace {

// Points libjack at a server name nobody runs, for the length of a test.
class NoJackServer {
    vl::test::ScopedEnv env_{"JACK_DEFAULT_SERVER", "vellamorinth-nobody-runs-this"};
};

} // namespace

TEST(DeviceList, WithoutJackServerListHasNoJackEntryAndIsQuick) {
    NoJackServer none;
    Engine e;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(e.initAudioDriver(-1, nullptr), 0);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::milliseconds(500));
    ASSERT_GE(e.deviceCount(), 1);
    EXPECT_LE(e.deviceCount(), 17);
    EXPECT_STREQ(e.driverName(0), "No sound");
    for (int i = 0; i < e.deviceCount(); ++i) {
        EXPECT_STRNE(e.driverName(i), "JACK");
        EXPECT_LE(std::string(e.driverName(i)).size(), 254u);
    }
    EXPECT_EQ(e.device(), nullptr); // -1 only lists
}

TEST(DeviceList, NamesPastTheEndAreNoAndCutToCapacity) {
    DeviceList list;
    list.add({std::string(300, 'x'), DeviceKind::NoSound, 0, 0, {}});
    for (int i = 0; i < 20; ++i)
        list.add({"dev" + std::to_string(i), DeviceKind::Ordinary, 0, 0, {}});
    EXPECT_EQ(list.count(), 17);
    EXPECT_EQ(std::string(list.name(0)).size(), 254u);
    EXPECT_STREQ(list.name(16), "dev15");
    EXPECT_STREQ(list.name(17), "no");
    EXPECT_STREQ(list.name(-1), "no");
    EXPECT_EQ(list.makeDevice(17), nullptr);

    Engine e;
    e.initAudioDriver(-1, nullptr);
    if (e.deviceCount() <= 16) {
        EXPECT_STREQ(e.driverName(16), "no");
    }
    EXPECT_STREQ(e.driverName(e.deviceCount()), "no");
    EXPECT_STREQ(e.driverName(1000), "no");
}

TEST(DriverInit, IndexWithoutEntryOpensNothingAndLaterCallsStaySafe) {
    NoJackServer none;
    Engine e;
    EXPECT_EQ(e.initAudioDriver(16, nullptr), 1);
    EXPECT_EQ(e.device(), nullptr);
    e.setTrackFile(1, 0, 1.0f, 0, "/nonexistent.wav");
    EXPECT_EQ(e.play(false, true, nullptr), 0);
    EXPECT_EQ(e.playing(), 0);
    EXPECT_EQ(e.songPosition(), 0u);
    EXPECT_EQ(e.stop(), 1);
    EXPECT_EQ(e.openControlPanel(), 0);
    EXPECT_EQ(e.initAudioDriver(-5, nullptr), 1);
    e.quit();
    e.quit();
}

TEST(DriverInit, OpeningEntryZeroRunsTheNoSoundDeviceUntilReopenOrQuit) {
    NoJackServer none;
    Engine e;
    e.setMasterVolume(0.3f);
    e.setTrackFile(2, 3, 0.5f, 0, "");
    EXPECT_EQ(e.initAudioDriver(0, nullptr), 1);
    ASSERT_NE(e.device(), nullptr);
    EXPECT_EQ(e.device()->kind(), DeviceKind::NoSound);
    // The reset comes first: unity gain, pair 0, unity master.
    EXPECT_FLOAT_EQ(e.masterVolume(), 1.0f);
    EXPECT_FLOAT_EQ(e.slot(2)->gain.load(), 1.0f);
    EXPECT_EQ(e.slot(2)->outputPair.load(), 0);

    const uint64_t before = e.counters().frames.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(e.counters().frames.load(), before); // runs with nothing playing

    EXPECT_EQ(e.initAudioDriver(0, nullptr), 1); // reopen
    ASSERT_NE(e.device(), nullptr);
    e.quit();
    EXPECT_EQ(e.device(), nullptr);
    const uint64_t after = e.counters().frames.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(e.counters().frames.load(), after); // closed for good
}

TEST(NoSoundDevice, ConsumesAtRealTimePace) {
    Engine e;
    auto device = std::make_unique<NoSoundDevice>();
    NoSoundDevice& d = *device;
    ASSERT_TRUE(e.openDevice(std::move(device)));
    const auto started = std::chrono::steady_clock::now();
    const uint64_t first = d.framesConsumed();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const uint64_t consumed = d.framesConsumed() - first;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double expected = seconds * kSampleRate;
    EXPECT_NEAR(double(consumed), expected, expected * 0.05) << "over " << seconds << " s";
    e.quit();
}

TEST(NoSoundDevice, SongPositionFollowsTheClockWhilePlaying) {
    vl::test::TempFolder dir;
    vl::test::writeTone(dir / "t.wav", 48000, 2, 10.0, 440.0, 0.3f);
    Engine e;
    ASSERT_EQ(e.initAudioDriver(0, nullptr), 1);
    e.setTrackFile(1, 0, 1.0f, 0, (dir / "t.wav").c_str());
    e.setStartPerMille(100);
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    const auto started = std::chrono::steady_clock::now();
    const uint32_t from = e.songPosition();
    EXPECT_EQ(from, 176400u); // a tenth of ten seconds
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double advanced = double(e.songPosition() - from) / 176400.0;
    EXPECT_NEAR(advanced, seconds, seconds * 0.05);
    EXPECT_EQ(e.counters().underruns.load(), 0u);
    e.quit();
}

TEST(ControlPanel, StartsAnInstalledToolForTheOpenKindOnly) {
    vl::test::TempFolder bin;
    const auto marker = bin / "started";
    vl::test::writeFile(bin / "pavucontrol", "#!/bin/sh\n/usr/bin/touch '" + marker.string() + "'\n");
    std::filesystem::permissions(bin / "pavucontrol", std::filesystem::perms::owner_all);
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", bin.path().c_str(), 1);

    Engine e;
    e.openManualDevice();
    EXPECT_EQ(e.openControlPanel(), 0);                // no tool belongs to the manual or no-sound device
    EXPECT_FALSE(startControlPanel(DeviceKind::Jack)); // no JACK tool in this PATH
    EXPECT_TRUE(startControlPanel(DeviceKind::Ordinary));
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(marker));
    setenv("PATH", savedPath.c_str(), 1);
}
