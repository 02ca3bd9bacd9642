// The video window of the real program on the test desktop (Xvfb with openbox), driven from
// outside as a musician drives it: it opens beside the main window, leaves the keys there,
// does what the main window does with a key pressed in it, and its close box only hides it.
#include "DesktopProgram.h"
#include "ToneSong.h"
#include "engine/VideoTestSink.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongProgram.h"

#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vl;
using namespace vl::test::desktop;
namespace fs = std::filesystem;

namespace {

const QString kMainTitle = QStringLiteral("Vellamorinth v2.5");

// The video window has no title: it is the program's shown window that is not the main one.
QString videoWindow(Program& program, const QString& main) {
    for (const QString& id : program.windows(QString()))
        if (id != main && insideOf(id).width() > 100) return id;
    return {};
}

QString activeWindow() { return x11("xdotool", {"getactivewindow"}).trimmed(); }

// A key as the keyboard sends it, to whichever window has the focus.
void press(const char* key) { x11("xdotool", {"key", key}); }

} // namespace

TEST(VideoWindowDesktop, OpensBesideTheMainWindowLeavesItTheKeysAndItsCloseBoxOnlyHidesIt) {
    if (display().isEmpty() || !fs::exists(kProgram.toStdString()))
        GTEST_SKIP() << "needs the program and the desktop that scripts/test.sh starts";
    test::TempFolder home;
    ASSERT_TRUE(prepareHome(home, {243, 150})); // the middle of the screen, as a first start puts it
    const fs::path folder = home / "YourSongs" / "Clip";
    test::writeToneSong(home / "YourSongs", "Clip", 60);
    ASSERT_TRUE(test::counterVideo(folder / "clip.mp4", 60, 5, "320x180", "-c:v libx264 -preset veryfast -an"));
    SongProgram program;
    program.tracks[0].fileName = "tone.wav";
    program.tracks[0].volume = 0.5f;
    program.tracks[1].fileName = "clip.mp4";
    program.tracks[1].volume = 0.5f;
    writeTextLines(QString::fromStdString((folder / "Clip.p").string()), writeProgramLines(program, FileNames::Included));
    test::writeFile(home / "YourSongs" / "Setlist.txt", "Clip\r\n");

    Program run(home);
    const QString main = run.waitForWindow(kMainTitle);
    ASSERT_FALSE(main.isEmpty());
    x11("xdotool", {"windowactivate", "--sync", main});
    auto videoShown = [&] { return !videoWindow(run, main).isEmpty(); };

    // Each time the video opens, the main window keeps the keys: SPACE still stops the song.
    auto startWithVideo = [&] {
        press("space");
        if (!waitFor(videoShown, 10000)) return false;
        QThread::msleep(500); // the window manager has had its chance to move the focus
        return activeWindow() == main;
    };
    auto stops = [&] { return waitFor([&] { return !videoShown(); }, 5000); };

    ASSERT_TRUE(startWithVideo());
    EXPECT_FALSE(insideOf(videoWindow(run, main)).intersects(insideOf(main)))
        << "the video covers none of the main window's controls";
    press("space");
    EXPECT_TRUE(stops());

    ASSERT_TRUE(startWithVideo());
    x11("xdotool", {"windowactivate", "--sync", videoWindow(run, main)});
    press("space");
    EXPECT_TRUE(stops()) << "SPACE in the video window stops as in the main one";
    if (videoShown()) { // so that the close box below is judged on its own
        x11("xdotool", {"windowactivate", "--sync", main});
        press("space");
        ASSERT_TRUE(stops());
    }

    ASSERT_TRUE(startWithVideo()) << "after the video window had the keys";
    closeBox(videoWindow(run, main));
    EXPECT_TRUE(stops());
    QThread::msleep(1000);
    ASSERT_TRUE(run.running()) << "the close box ended the program";
    EXPECT_FALSE(videoShown());
    x11("xdotool", {"windowactivate", "--sync", main});
    press("space");
    QThread::msleep(1500);
    EXPECT_FALSE(videoShown()) << "the song played on, so SPACE stopped it";
    EXPECT_TRUE(startWithVideo()) << "the next start with a video brings the window back";

    closeBox(main);
    ASSERT_TRUE(run.endsWithin(30000));
    EXPECT_EQ(run.process.exitCode(), 0);
}
