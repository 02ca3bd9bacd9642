// The real program on a desktop with a window manager (the test script starts Xvfb and
// openbox and names the display in VL_TEST_DISPLAY): close boxes, the main window's fixed
// size, and its place across restarts, read and driven from outside with the X tools.
#include "DesktopProgram.h"

#include "platform/TextFile.h"
#include "settings/Preferences.h"
#include "support/TempFolder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace vl;
using namespace vl::test::desktop;
namespace fs = std::filesystem;

namespace {

QString firstPrefsLine(const test::TempFolder& home) {
    const auto lines = readTextLines(QString::fromStdString((home / "prefs").string()));
    return lines ? lines->value(0) : QString("<none>");
}

const QString kMainTitle = QStringLiteral("Vellamorinth v2.5");

#define NEED_DESKTOP()                                                                    \
    if (display().isEmpty() || !fs::exists(kProgram.toStdString()))                       \
    GTEST_SKIP() << "needs the program and the desktop that scripts/test.sh starts"

} // namespace

// The set editor and the settings window have no way back but OK; the window manager's
// close box does what OK does, and only the main window's close ends the program, cleanly.
TEST(WindowManager, CloseBoxesOfSubWindowsActAsOkAndTheMainOneQuitsCleanly) {
    NEED_DESKTOP();
    test::TempFolder home;
    ASSERT_TRUE(prepareHome(home));
    Program run(home);
    const QString main = run.waitForWindow(kMainTitle);
    ASSERT_FALSE(main.isEmpty());

    const struct { const char* title; QPoint button; } subWindows[] = {
        {"set editor", {80, 230}}, // SET EDIT
        {"settings", {80, 83}},    // SETTINGS
    };
    for (const auto& sub : subWindows) {
        SCOPED_TRACE(sub.title);
        const QString shown = run.waitForWindow(kMainTitle);
        ASSERT_FALSE(shown.isEmpty());
        click(shown, sub.button.x(), sub.button.y());
        const QString window = run.waitForWindow(sub.title);
        ASSERT_FALSE(window.isEmpty());
        closeBox(window);
        EXPECT_TRUE(waitFor([&] { return !run.windows(kMainTitle).isEmpty() || !run.running(); }));
        ASSERT_TRUE(run.running()) << "a sub-window's close box ended the program";
        EXPECT_TRUE(waitFor([&] { return run.windows(sub.title).isEmpty(); }, 5000));
    }

    closeBox(run.waitForWindow(kMainTitle));
    ASSERT_TRUE(run.endsWithin(30000));
    EXPECT_EQ(run.process.exitCode(), 0);
    EXPECT_EQ(firstPrefsLine(home), "audiodriver") << "shutdown wrote the preferences without the crash marker";
    EXPECT_FALSE(fs::exists(home / "undo"));
}

// The window comes back exactly where it was left, however often the program restarts;
// in the normal view its size is fixed, so the window manager offers no resizing.
TEST(WindowManager, MainWindowKeepsItsPlaceAcrossRestartsAndAFixedSize) {
    NEED_DESKTOP();
    test::TempFolder home;
    ASSERT_TRUE(prepareHome(home, {240, 293}));
    QRect first;
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        Program program(home);
        const QString main = program.waitForWindow(kMainTitle);
        ASSERT_FALSE(main.isEmpty());
        // The window shows, then takes its stored place, then the window manager puts its
        // frame around it; each step may take a while on a loaded machine.
        const QRect wanted = run == 0 ? QRect(QPoint(240, 293), QSize(794, 464)) : first;
        QRect inside;
        waitFor([&] {
            inside = insideOf(main);
            return inside == wanted;
        });
        if (run == 0) {
            first = inside;
            const QString hints = x11("xprop", {"-id", main, "WM_NORMAL_HINTS"});
            EXPECT_TRUE(hints.contains("minimum size: 794 by 464")) << hints.toStdString();
            EXPECT_TRUE(hints.contains("maximum size: 794 by 464")) << hints.toStdString();
        }
        EXPECT_EQ(inside, wanted);
        closeBox(main);
        ASSERT_TRUE(program.endsWithin(30000));
    }
}

// On stage: ENTER in dark mode, either Enter key, shows the selected song's lyric in its own
// window in place of the main window; RETURN or Enter there, or BACK, brings the dark mode back
// as it was.
TEST(WindowManager, EnterInDarkModeShowsTheLyricAndReturnOrBackBringsDarkModeBack) {
    NEED_DESKTOP();
    test::TempFolder home;
    ASSERT_TRUE(prepareHome(home));
    test::writeFile(home / "YourSongs" / "Setlist.txt", "Alpha\r\n");
    test::writeFile(home / "YourSongs" / "Alpha" / "Alpha.rtf", "{\\rtf1\\ansi\\pard\\qc\\fs96 Alpha words\\par}");
    Program run(home);
    const QString main = run.waitForWindow(kMainTitle);
    ASSERT_FALSE(main.isEmpty());
    const int screenWidth =
        QRegularExpression(R"(Width:\s+(\d+))").match(x11("xwininfo", {"-root"})).captured(1).toInt();
    ASSERT_GT(screenWidth, 0);
    auto key = [](const QString& window, const char* name) {
        x11("xdotool", {"windowactivate", "--sync", window, "key", name});
    };
    auto darkModeShown = [&] {
        const QStringList shown = run.windows(kMainTitle);
        return !shown.isEmpty() && insideOf(shown.first()).width() == screenWidth;
    };

    key(main, "Tab");
    ASSERT_TRUE(waitFor(darkModeShown));
    const struct { const char* show; const char* leave; } ways[] = {
        {"Return", "Return"}, {"KP_Enter", "KP_Enter"}, {"KP_Enter", "BACK"}};
    for (const auto& way : ways) {
        SCOPED_TRACE(std::string(way.show) + " then " + way.leave);
        key(run.windows(kMainTitle).value(0), way.show);
        const QString view = run.waitForWindow("lyric view");
        ASSERT_FALSE(view.isEmpty());
        EXPECT_TRUE(waitFor([&] { return run.windows(kMainTitle).isEmpty(); }, 5000)) << "the view stands in for it";
        EXPECT_TRUE(waitFor([&] { return insideOf(view).size() == QSize(800, 480); }, 5000));
        if (std::string(way.leave) == "BACK") click(view, 800 - 95 + 45, 4 + 16);
        else key(view, way.leave);
        EXPECT_TRUE(waitFor([&] { return run.windows("lyric view").isEmpty(); }, 5000));
        EXPECT_TRUE(waitFor(darkModeShown, 5000));
    }

    closeBox(run.waitForWindow(kMainTitle)); // leaves dark mode
    EXPECT_TRUE(waitFor([&] { return !darkModeShown(); }, 5000));
    closeBox(run.waitForWindow(kMainTitle));
    ASSERT_TRUE(run.endsWithin(30000));
    EXPECT_EQ(run.process.exitCode(), 0);
}
