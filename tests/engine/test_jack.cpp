// Against a real JACK server (dummy backend): the list entry, the eight ports and their
// connections, reopening and quitting, and two playing tracks as a JACK client hears them.
#include "EngineTestSupport.h"
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/JackDevice.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace vl::engine;
using vl::test::jackConnections;
using vl::test::jackPorts;

namespace {

std::string engineClient(const Engine& e) {
    auto* jack = dynamic_cast<JackDevice*>(e.device());
    return jack ? jack->clientName() : "";
}

} // namespace

TEST(Jack, ListEndsWithJackAndOpeningMakesEightConnectedPortsThatCarrySilence) {
    if (!vl::test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
    Engine e;
    EXPECT_EQ(e.initAudioDriver(-1, nullptr), 0);
    EXPECT_STREQ(e.driverName(0), "No sound");
    const int jack = vl::test::deviceEntry(e, "JACK");
    ASSERT_EQ(jack, e.deviceCount() - 1) << "JACK comes last";

    ASSERT_EQ(e.initAudioDriver(jack, nullptr), 1);
    ASSERT_NE(e.device(), nullptr);
    ASSERT_EQ(e.device()->kind(), DeviceKind::Jack);
    const std::string client = engineClient(e);
    EXPECT_EQ(client, "vellamorinth");

    vl::test::JackRecorder recorder(8192);
    ASSERT_TRUE(recorder.ok());
    const auto ports = jackPorts(recorder.client(), (client + ":").c_str());
    ASSERT_EQ(ports.size(), 8u);
    const auto playback = jackPorts(recorder.client(), nullptr, JackPortIsPhysical | JackPortIsInput);
    ASSERT_GE(playback.size(), 8u) << "the dummy server is started with eight playback ports";
    for (int i = 0; i < 8; ++i) {
        const std::string port = client + ":out_" + std::to_string(i + 1);
        EXPECT_EQ(ports[i], port);
        EXPECT_EQ(jackConnections(recorder.client(), port), std::vector<std::string>{playback[i]});
    }

    ASSERT_TRUE(recorder.connectFrom(client));
    recorder.start();
    ASSERT_TRUE(recorder.waitFor(8192));
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(vl::test::peak(recorder.channel(c)), 0.0) << "channel " << c;
    e.quit();
}

TEST(Jack, ReopeningReplacesTheClientAndQuitLeavesNoPort) {
    if (!vl::test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
    vl::test::JackRecorder watcher(16);
    ASSERT_TRUE(watcher.ok());
    Engine e;
    e.initAudioDriver(-1, nullptr);
    const int jack = vl::test::deviceEntry(e, "JACK");
    ASSERT_GE(jack, 0);
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(e.initAudioDriver(jack, nullptr), 1);
        EXPECT_EQ(engineClient(e), "vellamorinth") << "the previous client was closed first";
        EXPECT_EQ(jackPorts(watcher.client(), "^vellamorinth").size(), 8u);
    }
    e.initAudioDriver(0, nullptr); // to the no-sound device: the JACK client goes
    EXPECT_TRUE(jackPorts(watcher.client(), "^vellamorinth").empty());
    e.initAudioDriver(jack, nullptr);
    EXPECT_EQ(jackPorts(watcher.client(), "^vellamorinth").size(), 8u);
    e.quit();
    EXPECT_TRUE(jackPorts(watcher.client(), "^vellamorinth").empty());
}

TEST(Jack, TwoTracksOnTwoPairsAreRecordedEachOnItsPairAtItsLevel) {
    if (!vl::test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
    vl::test::TempFolder dir;
    vl::test::writeTone(dir / "low.wav", 44100, 2, 5.0, 441.0, 0.5f);
    vl::test::writeTone(dir / "high.wav", 48000, 1, 5.0, 1102.5, 0.25f);
    Engine e;
    ASSERT_TRUE(e.openDevice(std::make_unique<JackDevice>()));
    vl::test::loadTracks(e, dir.path(), {{"low.wav", 0}, {"high.wav", 2}});

    constexpr std::size_t kFrames = 44100;
    vl::test::JackRecorder recorder(kFrames);
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(recorder.connectFrom(engineClient(e)));
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    recorder.start();
    ASSERT_TRUE(recorder.waitFor(kFrames));
    e.quit();

    // A server at another rate than 44.1 kHz gets the tracks resampled to its rate.
    const double rate = jack_get_sample_rate(recorder.client());
    const double low = vl::test::toneRms(0.5), high = vl::test::toneRms(0.25);
    for (int c : {0, 1}) {
        EXPECT_NEAR(vl::test::rms(recorder.channel(c)), low, low * 0.02) << "out_" << c + 1;
        EXPECT_NEAR(double(vl::test::medianPeriod(recorder.channel(c))), rate / 441.0, 1.0) << "441 Hz on out_" << c + 1;
    }
    for (int c : {4, 5}) {
        EXPECT_NEAR(vl::test::rms(recorder.channel(c)), high, high * 0.02) << "out_" << c + 1;
        EXPECT_NEAR(double(vl::test::medianPeriod(recorder.channel(c))), rate / 1102.5, 1.0) << "1102.5 Hz on out_" << c + 1;
    }
    for (int c : {2, 3, 6, 7})
        EXPECT_EQ(vl::test::peak(recorder.channel(c)), 0.0) << "out_" << c + 1;
    EXPECT_EQ(e.counters().underruns.load(), 0u);
}
