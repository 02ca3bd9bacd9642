// The whole program on a JACK server of its own that dies while a song plays: the main
// window says so, the song is silent meanwhile, and once the server is back the program
// sounds again without a visit to the settings.
#include "AppHarness.h"
#include "ToneSong.h"
#include "support/JackRecorder.h"
#include "support/SoundServers.h"

#include <QApplication>
#include <QLabel>
#include <QSlider>

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>

using namespace vl;
using vl::test::waitUntil;

namespace {

// What the program plays on its first output pair, as a fresh client of the server hears it.
double programLevel() {
    test::JackRecorder recorder(8820);
    if (!recorder.ok() || !recorder.connectFrom("vellamorinth")) return -1.0;
    recorder.start();
    if (!waitUntil([&] { return recorder.recorded() >= 8820; }, 10000)) return -1.0;
    return test::rms(recorder.channel(0));
}

int jackEntry(const EngineFunctions& engine) {
    for (int k = 0; k < 17; ++k)
        if (const char* name = engine.GetDriverName(k); name && std::string(name) == "JACK") return k;
    return -1;
}

} // namespace

TEST(SoundServerLoss, TheWindowSaysSoAndTheSongSoundsAgainOnceTheServerIsBack) {
    test::PrivateJackServer server("vltest-apploss-" + std::to_string(getpid()));
    ASSERT_TRUE(server.start());
    test::ScopedEnv env("JACK_DEFAULT_SERVER", server.name());

    test::AppHarness h(test::realEngine());
    test::writeToneSong(h.home / "YourSongs", "Alpha", 60);
    const EngineFunctions& engine = h.app->engine();
    engine.InitAudioDriver(-1, nullptr);
    const int jack = jackEntry(engine);
    ASSERT_GE(jack, 0);
    ASSERT_EQ(engine.InitAudioDriver(jack, &h.main()), 1);
    h.setRows({"Alpha"});
    h.app->transport().startPlayback(true);
    ASSERT_EQ(engine.GetPlaying(), 1);
    QLabel* notice = h.main().controls().notice;
    const double playing = programLevel();
    EXPECT_GT(playing, 0.02);
    EXPECT_FALSE(notice->isVisible());

    server.kill();
    ASSERT_TRUE(waitUntil([&] { return notice->isVisible(); }, 2000)) << "the loss is said within two seconds";
    EXPECT_EQ(notice->text(), "NO SOUND: the audio device is gone. Reconnecting ...");
    const int position = h.main().controls().positionSlider->value();
    waitUntil([] { return false; }, 500);
    EXPECT_EQ(h.main().controls().positionSlider->value(), position) << "nothing plays meanwhile";

    ASSERT_TRUE(server.start());
    ASSERT_TRUE(waitUntil([&] { return !notice->isVisible(); }, 5000)) << "the notice goes once the server is back";
    EXPECT_NEAR(programLevel(), playing, playing * 0.05) << "the same song sounds again, untouched";
    EXPECT_EQ(engine.GetPlaying(), 1);
    engine.Stop();
    engine.Quit();
}
