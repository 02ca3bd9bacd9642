// The song's video in the real program with the real engine module: the playback window
// comes up with the song, shows the pictures fitted to it with the video's aspect, and goes
// with the stop.
#include "AppHarness.h"
#include "ToneSong.h"
#include "engine/VideoTestSink.h"

#include "app/PlaybackWindow.h"
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongProgram.h"

#include <gtest/gtest.h>

using namespace vl;
using vl::test::waitUntil;

TEST(VideoWindow, ShowsTheSongsVideoFittedWhilePlayingAndHidesAtStop) {
    test::AppHarness h(test::realEngine());
    const auto folder = h.home / "YourSongs" / "Clip";
    test::writeToneSong(h.home / "YourSongs", "Clip", 6);
    ASSERT_TRUE(test::counterVideo(folder / "clip.mp4", 6, 25, "320x180", "-c:v libx264 -preset veryfast -an"));
    SongProgram program;
    program.tracks[0].fileName = "tone.wav";
    program.tracks[0].volume = 0.5f;
    program.tracks[1].fileName = "clip.mp4";
    program.tracks[1].volume = 0.5f;
    writeTextLines(QString::fromStdString((folder / "Clip.p").string()), writeProgramLines(program, FileNames::Included));
    h.app->engine().InitAudioDriver(0, &h.main());
    h.setRows({"Clip"});

    auto* window = qobject_cast<PlaybackWindow*>(h.app->playbackWindow());
    ASSERT_NE(window, nullptr);
    window->keepClearOf(nullptr); // where it opens is judged on the desktop; here its size counts
    window->resize(400, 400);     // taller than the video: bars above and below
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.app->engine().GetPlaying(), 1);
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(waitUntil([&] { return !window->picture().isNull(); }, 5000));
    EXPECT_EQ(window->picture().size(), QSize(400, 225));
    ASSERT_TRUE(waitUntil([&] { return window->picture().pixel(100, 112) != window->picture().pixel(300, 112); }, 5000))
        << "the counter's two halves differ once past frame 0";
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(shot.pixel(200, 40), qRgb(0, 0, 0)) << "black above the picture";
    EXPECT_EQ(shot.pixel(200, 360), qRgb(0, 0, 0)) << "black below it";

    h.app->transport().stopPlayback();
    EXPECT_FALSE(window->isVisible());
}
