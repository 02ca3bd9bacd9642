// Against a real JACK server (dummy backend): the list entry, the eight ports and their
// connections, reopening and quitting.
#include "EngineTestSupport.h"

#include "engine/Engine.h"
#include "engine/devices/JackDevice.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <string>

using namespace vl::engine;
using vl::test::jackConnections;
using vl::test::jackPorts;

namespace {

int jackEntry(const Engine& e) {
    for (int i = 0; i < e.deviceCount(); ++i)
        if (std::string(e.driverName(i)) == "JACK") return i;
    return -1;
}

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
    const int jack = jackEntry(e);
    ASSERT_EQ(jack, e.deviceCount() - 1) << "JACK comes last";

    ASSERT_EQ(e.initAudioDriver(jack, nullptr), 1);
    ASSERT_NE(e.device(), nullptr);
    ASSERT_EQ(e.device()->kind(), DeviceKind::Jack);
    const std::string client = engineClient(e);
    EXPECT_EQ(client, "vellamorinth");

    vl::test::JackRecorder recorder(44100);
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
    const int jack = jackEntry(e);
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
