// The program driven over OSC as a tablet or a show controller drives it, with the real
// engine on the JACK dummy server and liblo on both sides: play, stop, selection by row and
// by title, the feedback to a subscriber, and a flood of good, bad and broken packets that
// leaves the song playing and the interface responsive.
#include "AppHarness.h"
#include "OscTestClient.h"
#include "ToneSong.h"
#include "support/JackRecorder.h"

#include "app/RemoteLink.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace vl;
using vl::test::waitUntil;

namespace {

int jackEntry(const EngineFunctions& engine) {
    for (int k = 0; k < 17; ++k)
        if (const char* name = engine.GetDriverName(k); name && std::string(name) == "JACK") return k;
    return -1;
}

} // namespace

TEST(OscRemote, PlaysStopsSelectsAndReportsAndOutlastsAFlood) {
    if (!test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
    test::AppHarness h(test::realEngine());
    const EngineFunctions& engine = h.app->engine();
    ASSERT_EQ(engine.InitAudioDriver(jackEntry(engine), &h.main()), 1);
    for (const char* song : {"Alpha", "Beta", "Gamma"}) test::writeToneSong(h.home / "YourSongs", song, 30);
    h.setRows({"Alpha", "Beta", "Gamma"});

    const int port = 20000 + int(getpid() % 20000);
    h.prefs().oscEnabled = true;
    h.prefs().oscPort = port;
    h.app->remote().start();
    ASSERT_TRUE(h.app->remote().server().running());
    test::OscTestClient client(port);
    const auto last = [&](const char* path) {
        const auto got = client.received(path);
        return got.empty() ? QStringList{QStringLiteral("none")} : got.back().args;
    };

    client.send("/vellamorinth/subscribe", "");
    EXPECT_TRUE(waitUntil([&] { return last("/vellamorinth/setlist") == QStringList({"Alpha", "Beta", "Gamma"}); }, 3000))
        << "a new subscriber gets the whole state";
    EXPECT_EQ(last("/vellamorinth/state"), QStringList{"0"});

    client.send("/vellamorinth/select", "i", 2);
    EXPECT_TRUE(waitUntil([&] { return last("/vellamorinth/song") == QStringList({"2", "Beta"}); }, 3000));
    client.send("/vellamorinth/play", "");
    ASSERT_TRUE(waitUntil([&] { return engine.GetPlaying() == 1; }, 5000));
    EXPECT_EQ(h.app->songs().title(h.state().playingSong), "Beta");
    EXPECT_TRUE(waitUntil([&] { return last("/vellamorinth/state") == QStringList{"1"}; }, 3000));
    EXPECT_TRUE(waitUntil([&] { return client.received("/vellamorinth/time").size() >= 3; }, 3000));
    EXPECT_EQ(last("/vellamorinth/next"), QStringList{"Gamma"});

    client.send("/vellamorinth/stop", "");
    EXPECT_TRUE(waitUntil([&] { return engine.GetPlaying() == 0; }, 3000));
    EXPECT_TRUE(waitUntil([&] { return last("/vellamorinth/state") == QStringList{"0"}; }, 3000));
    client.send("/vellamorinth/select", "s", "Gamma");
    client.send("/vellamorinth/playpause", "");
    ASSERT_TRUE(waitUntil([&] { return engine.GetPlaying() == 1; }, 5000));
    EXPECT_EQ(h.app->songs().title(h.state().playingSong), "Gamma");

    // A flood: 10,000 messages in a second, of every kind a network brings.
    test::JackRecorder recorder(44100 * 2);
    ASSERT_TRUE(recorder.ok() && recorder.connectFrom("vellamorinth"));
    long longestTickGap = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QObject::connect(&h.app->mainLoop(), &MainLoop::ticked, &h.main(), [&] {
        longestTickGap = std::max(longestTickGap, long(sinceTick.restart()));
    });
    std::thread flood([&] {
        test::OscTestClient flooder(port);
        const std::string oversized(40000, 'x'); // a title no setlist has
        const char garbage[] = "\x2f\x00\x00\xff,iii\x00\x00\x00\x00\x01";
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 10000; ++i) {
            switch (i % 8) {
            case 0: flooder.send("/vellamorinth/master", "f", 1.0f); break;
            case 1: flooder.send("/vellamorinth/nothing/here", "i", i); break;
            case 2: flooder.send("/vellamorinth/select", "ff", 1.0f, 2.0f); break;
            case 3: flooder.send("/vellamorinth/master", "f", 7.0f); break;
            case 4: flooder.sendRaw(garbage, sizeof garbage - 1); break;
            case 5: flooder.send("/vellamorinth/select", "s", oversized.c_str()); break;
            case 6: flooder.send("/elsewhere", ""); break;
            default: flooder.send("/vellamorinth/locate", "s", "soon"); break;
            }
            std::this_thread::sleep_until(start + std::chrono::microseconds(100 * (i + 1)));
        }
    });
    recorder.start();
    waitUntil([] { return false; }, 1200);
    flood.join();
    ASSERT_TRUE(recorder.waitFor(44100 * 2));
    const OscRejects& rejects = h.app->remote().server().rejects();
    for (OscReject kind : {OscReject::UnknownAddress, OscReject::WrongTypes, OscReject::OutOfRange,
                           OscReject::Malformed, OscReject::Oversized})
        EXPECT_GT(rejects.count(kind), 0u) << "kind " << int(kind);
    EXPECT_EQ(engine.GetPlaying(), 1) << "the song plays on through the flood";
    EXPECT_EQ(h.app->songs().title(h.state().playingSong), "Gamma");
    EXPECT_GT(test::medianWindowRms(recorder.channel(0), 0), 0.02) << "and sounds";
    std::printf("longest gap between interface ticks during the flood: %ld ms\n", longestTickGap);
    client.send("/vellamorinth/stop", "");
    EXPECT_TRUE(waitUntil([&] { return engine.GetPlaying() == 0; }, 3000)) << "commands still work afterwards";

    // A sender not on the allowed list is not heard.
    h.prefs().oscAllowedSenders = QStringLiteral("192.0.2.7");
    h.app->remote().start();
    client.send("/vellamorinth/play", "");
    waitUntil([] { return false; }, 500);
    EXPECT_EQ(engine.GetPlaying(), 0);
    EXPECT_GT(h.app->remote().server().rejects().count(OscReject::NotAllowed), 0u);
    engine.Stop();
}
