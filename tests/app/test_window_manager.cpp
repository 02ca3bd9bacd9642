// The real program on a desktop with a window manager (the test script starts Xvfb and
// openbox and names the display in VL_TEST_DISPLAY): close boxes, the main window's fixed
// size, and its place across restarts, read and driven from outside with the X tools.
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
namespace fs = std::filesystem;

namespace {

const QString kProgram = QStringLiteral(VL_BIN_DIR "/vellamorinth");

QString display() { return qEnvironmentVariable("VL_TEST_DISPLAY"); }

// Runs an X tool on the test display; its standard output.
QString x11(const QString& tool, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display());
    p.setProcessEnvironment(env);
    p.start(tool, args);
    p.waitForFinished(20000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

bool waitFor(const std::function<bool()>& done, int ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (done()) return true;
        QThread::msleep(100);
    }
    return done();
}

struct Program {
    QProcess process;

    explicit Program(const test::TempFolder& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELLAMORINTH_HOME", QString::fromStdString(home.path().string()));
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", display());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(kProgram, {});
        process.waitForStarted(10000);
    }
    ~Program() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
    bool running() {
        process.waitForFinished(0);
        return process.state() != QProcess::NotRunning;
    }
    // The program's shown top-level windows whose title starts so (xdotool's own
    // visibility filter also lists withdrawn windows, so the map state is asked).
    QStringList windows(const QString& title) {
        QStringList shown;
        const QStringList ids = x11("xdotool", {"search", "--all", "--pid", QString::number(process.processId()), "--name",
                                                "^" + title})
                                    .split('\n', Qt::SkipEmptyParts);
        for (const QString& id : ids)
            if (x11("xwininfo", {"-id", id}).contains("Map State: IsViewable")) shown.append(id);
        return shown;
    }
    QString waitForWindow(const QString& title) {
        QString id;
        waitFor([&] {
            const QStringList ids = windows(title);
            if (!ids.isEmpty()) id = ids.first();
            return !id.isEmpty();
        });
        return id;
    }
    bool endsWithin(int ms) { return process.waitForFinished(ms) && process.exitStatus() == QProcess::NormalExit; }
};

// The inside of a window on the screen, as xwininfo reports it.
QRect insideOf(const QString& window) {
    const QString info = x11("xwininfo", {"-id", window});
    auto value = [&](const char* label) {
        const auto m = QRegularExpression(QString(label) + R"(:\s+(-?\d+))").match(info);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    return {value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")};
}

void click(const QString& window, int x, int y) {
    x11("xdotool", {"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1"});
}

// The close box, as the window manager delivers it.
void closeBox(const QString& window) { x11("wmctrl", {"-i", "-c", window}); }

// A program folder as the last clean shutdown left it: audio driver 1 chosen, the main
// window's inside at `place`.
bool prepareHome(const test::TempFolder& home, QPoint place = {0, 0}) {
    test::writeFile(home / "language", "english\r\n");
    Preferences chosen;
    chosen.audioDriverIndex = 1;
    chosen.mainWindowX = place.x();
    chosen.mainWindowY = place.y();
    chosen.setlistPath = QString::fromStdString(home.str()) + "YourSongs/Setlist.txt";
    return writePreferencesFile(QString::fromStdString((home / "prefs").string()), chosen, true);
}

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
        QRect inside;
        // The window manager places the frame a moment after the window shows.
        ASSERT_TRUE(waitFor([&] {
            const QRect now = insideOf(main);
            const bool settled = now == inside && now.width() == 794;
            inside = now;
            return settled;
        }));
        if (run == 0) {
            first = inside;
            EXPECT_EQ(inside.topLeft(), QPoint(240, 293));
            const QString hints = x11("xprop", {"-id", main, "WM_NORMAL_HINTS"});
            EXPECT_TRUE(hints.contains("minimum size: 794 by 464")) << hints.toStdString();
            EXPECT_TRUE(hints.contains("maximum size: 794 by 464")) << hints.toStdString();
        }
        EXPECT_EQ(inside, first);
        closeBox(main);
        ASSERT_TRUE(program.endsWithin(30000));
    }
}

// On stage: ENTER in dark mode shows the selected song's lyric in its own window in place of
// the main window; RETURN there, or BACK, brings the dark mode back as it was.
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
    for (const char* leave : {"RETURN", "BACK"}) {
        SCOPED_TRACE(leave);
        key(run.windows(kMainTitle).value(0), "Return");
        const QString view = run.waitForWindow("lyric view");
        ASSERT_FALSE(view.isEmpty());
        EXPECT_TRUE(waitFor([&] { return run.windows(kMainTitle).isEmpty(); }, 5000)) << "the view stands in for it";
        EXPECT_TRUE(waitFor([&] { return insideOf(view).size() == QSize(800, 480); }, 5000));
        if (std::string(leave) == "RETURN") key(view, "Return");
        else click(view, 800 - 95 + 45, 4 + 16);
        EXPECT_TRUE(waitFor([&] { return run.windows("lyric view").isEmpty(); }, 5000));
        EXPECT_TRUE(waitFor(darkModeShown, 5000));
    }

    closeBox(run.waitForWindow(kMainTitle)); // leaves dark mode
    EXPECT_TRUE(waitFor([&] { return !darkModeShown(); }, 5000));
    closeBox(run.waitForWindow(kMainTitle));
    ASSERT_TRUE(run.endsWithin(30000));
    EXPECT_EQ(run.process.exitCode(), 0);
}
