// A new song made as a musician makes it, with the real program on a desktop (Xvfb with
// openbox, named in VL_TEST_DISPLAY by the test script), driven with mouse and keys from
// outside: SET EDIT, a new row, SONG EDIT, two WAV files imported, OK, Yes.
#include "ToneSong.h"

#include "platform/TextFile.h"
#include "settings/Preferences.h"
#include "songs/ProgramFile.h"
#include "support/TempFolder.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

using namespace vl;
namespace fs = std::filesystem;

namespace {

const QString kProgram = QStringLiteral(VL_BIN_DIR "/vellamorinth");

QString display() { return qEnvironmentVariable("VL_TEST_DISPLAY"); }

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

// The program's shown window whose title starts with `title`; empty when none shows.
QString shownWindow(qint64 pid, const QString& title) {
    const QStringList ids = x11("xdotool", {"search", "--all", "--pid", QString::number(pid), "--name", "^" + title})
                                .split('\n', Qt::SkipEmptyParts);
    for (const QString& id : ids)
        if (x11("xwininfo", {"-id", id}).contains("Map State: IsViewable")) return id;
    return {};
}

QString waitForWindow(qint64 pid, const QString& title) {
    QString id;
    waitFor([&] { return !(id = shownWindow(pid, title)).isEmpty(); });
    return id;
}

void click(const QString& window, int x, int y) {
    x11("xdotool", {"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1"});
}

// Clicks until a window titled `title` shows: a click that lands while a closing modal
// dialog still blocks the window is lost, as a user's would be, and is simply repeated.
QString clickFor(qint64 pid, const QString& window, int x, int y, const QString& title) {
    QString shown;
    for (int attempt = 0; attempt < 3 && shown.isEmpty(); ++attempt) {
        click(window, x, y);
        waitFor([&] { return !(shown = shownWindow(pid, title)).isEmpty(); }, 5000);
    }
    return shown;
}

void type(const QString& window, const QString& text) {
    x11("xdotool", {"windowactivate", "--sync", window});
    x11("xdotool", {"type", "--delay", "20", text});
}

void key(const QString& window, const QString& name) {
    x11("xdotool", {"windowactivate", "--sync", window});
    x11("xdotool", {"key", name});
}

// Whether anything is drawn in `area` of the window: a pixel far from the area's commonest
// colour (its background, plain or highlighted).
bool textIn(const QString& window, const QRect& area, const fs::path& shot) {
    x11("import", {"-window", window, QString::fromStdString(shot.string())});
    const QImage image(QString::fromStdString(shot.string()));
    if (image.isNull()) return false;
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++counts[image.pixel(x, y)];
    QRgb background = counts.begin()->first;
    for (const auto& [colour, n] : counts)
        if (n > counts[background]) background = colour;
    for (const auto& [colour, n] : counts)
        if (std::abs(qGray(colour) - qGray(background)) > 100) return true;
    return false;
}

// The first row's "time" and "num" cells in the main window.
const QRect kTimeCell{495, 44, 60, 18};
const QRect kNumberCell{565, 44, 45, 18};

} // namespace

TEST(ProgramEditorDesktop, ANewSongGetsTwoImportedTracksAProgramAndItsTimeInTheList) {
    if (display().isEmpty() || !fs::exists(kProgram.toStdString()))
        GTEST_SKIP() << "needs the program and the desktop that scripts/test.sh starts";
    test::TempFolder home;
    test::writeFile(home / "language", "english\r\n");
    Preferences chosen;
    chosen.audioDriverIndex = 1;
    chosen.setlistPath = QString::fromStdString(home.str()) + "YourSongs/Setlist.txt";
    ASSERT_TRUE(writePreferencesFile(QString::fromStdString((home / "prefs").string()), chosen, true));
    test::TempFolder recordings;
    test::writeToneWave(recordings / "drums.wav", 2, 220);
    test::writeToneWave(recordings / "bass line.wav", 3.5, 110);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELLAMORINTH_HOME", QString::fromStdString(home.path().string()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", display());
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(kProgram, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const qint64 pid = program.processId();
    struct Ender {
        QProcess& p;
        ~Ender() {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished(10000);
            }
        }
    } ender{program};

    QString main = waitForWindow(pid, "Vellamorinth v2.5");
    ASSERT_FALSE(main.isEmpty());

    click(main, 80, 230); // SET EDIT
    const QString setEditor = waitForWindow(pid, "set editor");
    ASSERT_FALSE(setEditor.isEmpty());
    click(setEditor, 398, 76); // the text field
    type(setEditor, "My New Song");
    click(setEditor, 398, 107); // <-- add text
    click(setEditor, 398, 430); // OK
    main = waitForWindow(pid, "Vellamorinth v2.5");
    ASSERT_FALSE(main.isEmpty());

    click(main, 300, 56); // the new row
    ASSERT_TRUE(waitFor([&] { return textIn(main, {160, 44, 200, 18}, home / "before.png"); }, 10000))
        << "the new row is listed";
    EXPECT_FALSE(textIn(main, kTimeCell, home / "before.png")) << "a song never saved has no time";
    EXPECT_FALSE(textIn(main, kNumberCell, home / "before.png"));
    const QString create = clickFor(pid, main, 715, 210, "create..."); // SONG EDIT
    ASSERT_FALSE(create.isEmpty()) << "a new song is asked for a program";
    key(create, "Return");
    const QString editor = waitForWindow(pid, "program editor");
    ASSERT_FALSE(editor.isEmpty());

    const struct {
        int y;
        fs::path file;
    } imports[] = {{54, recordings / "drums.wav"}, {86, recordings / "bass line.wav"}};
    for (const auto& import : imports) {
        const QString picker = clickFor(pid, editor, 122, import.y, "import"); // the strip's track button
        ASSERT_FALSE(picker.isEmpty());
        type(picker, QString::fromStdString(import.file.string()));
        key(picker, "Return");
        ASSERT_TRUE(waitFor([&] { return shownWindow(pid, "import").isEmpty(); }));
    }
    const QString confirm = clickFor(pid, editor, 695, 434, "confirm"); // OK
    ASSERT_FALSE(confirm.isEmpty()) << "OK asks to save";
    key(confirm, "Return");
    main = waitForWindow(pid, "Vellamorinth v2.5");
    ASSERT_FALSE(main.isEmpty());

    const fs::path song = home / "YourSongs" / "My New Song";
    EXPECT_EQ(test::readFile(song / "drums.wav"), test::readFile(recordings / "drums.wav"));
    EXPECT_EQ(test::readFile(song / "bass line.wav"), test::readFile(recordings / "bass line.wav"));
    SongProgram saved;
    const auto lines = readTextLines(QString::fromStdString((song / "My New Song.p").string()));
    ASSERT_TRUE(lines && readProgramLines(*lines, saved, FileNames::Included));
    EXPECT_EQ(saved.tracks[0].fileName, "drums.wav");
    EXPECT_EQ(saved.tracks[1].fileName, "bass line.wav");
    EXPECT_EQ(test::readFile(song / "inf"), std::to_string(44100 * 4 * 7 / 2) + "\r\n") << "the longer track";

    // The song list shows the new song's time and number at once.
    EXPECT_TRUE(waitFor([&] {
        return textIn(main, kTimeCell, home / "after.png") && textIn(main, kNumberCell, home / "after.png");
    }, 10000));

    x11("wmctrl", {"-i", "-c", main});
    EXPECT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
}
