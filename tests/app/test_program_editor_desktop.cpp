// A new song made as a musician makes it, with the real program on the test desktop,
// driven with mouse and keys from outside: SET EDIT, a new row, SONG EDIT, two WAV files
// imported, OK, Yes.
#include "DesktopProgram.h"
#include "ToneSong.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace vl;
using namespace vl::test::desktop;
namespace fs = std::filesystem;

namespace {

// Clicks until a window titled `title` shows: a click that lands while a closing modal
// dialog still blocks the window is lost, as a user's would be, and is simply repeated.
QString clickFor(Program& program, const QString& window, int x, int y, const QString& title) {
    QString shown;
    for (int attempt = 0; attempt < 3 && shown.isEmpty(); ++attempt) {
        click(window, x, y);
        waitFor([&] { return !program.windows(title).isEmpty(); }, 5000);
        shown = program.windows(title).value(0);
    }
    return shown;
}

void keys(const QString& window, const QString& tool, const QString& what) {
    x11("xdotool", {"windowactivate", "--sync", window});
    x11("xdotool", tool == "type" ? QStringList{"type", "--delay", "20", what} : QStringList{"key", what});
}

// Whether anything is drawn in `area` of the window: a pixel far from the area's commonest
// colour (its background, plain or highlighted).
bool drawnIn(const QString& window, const QRect& area, const fs::path& shot) {
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

// The first row's title, "time" and "num" cells in the main window.
const QRect kTitleCell{160, 44, 200, 18};
const QRect kTimeCell{495, 44, 60, 18};
const QRect kNumberCell{565, 44, 45, 18};

} // namespace

TEST(ProgramEditorDesktop, ANewSongGetsTwoImportedTracksAProgramAndItsTimeInTheList) {
    if (display().isEmpty() || !fs::exists(kProgram.toStdString()))
        GTEST_SKIP() << "needs the program and the desktop that scripts/test.sh starts";
    test::TempFolder home;
    ASSERT_TRUE(prepareHome(home));
    test::TempFolder recordings;
    test::writeToneWave(recordings / "drums.wav", 2, 220);
    test::writeToneWave(recordings / "bass line.wav", 3.5, 110);
    Program program(home);
    QString main = program.waitForWindow("Vellamorinth v2.5");
    ASSERT_FALSE(main.isEmpty());

    const QString setEditor = clickFor(program, main, 80, 230, "set editor"); // SET EDIT
    ASSERT_FALSE(setEditor.isEmpty());
    click(setEditor, 398, 76); // the text field
    keys(setEditor, "type", "My New Song");
    click(setEditor, 398, 107); // <-- add text
    click(setEditor, 398, 430); // OK
    main = program.waitForWindow("Vellamorinth v2.5");
    ASSERT_FALSE(main.isEmpty());
    click(main, 300, 56); // the new row
    ASSERT_TRUE(waitFor([&] { return drawnIn(main, kTitleCell, home / "before.png"); }, 10000));
    EXPECT_FALSE(drawnIn(main, kTimeCell, home / "before.png")) << "a song never saved has no time";
    EXPECT_FALSE(drawnIn(main, kNumberCell, home / "before.png"));

    const QString create = clickFor(program, main, 715, 210, "create..."); // SONG EDIT
    ASSERT_FALSE(create.isEmpty()) << "a new song is asked for a program";
    keys(create, "key", "Return");
    const QString editor = program.waitForWindow("program editor");
    ASSERT_FALSE(editor.isEmpty());
    const struct {
        int y;
        fs::path file;
    } imports[] = {{54, recordings / "drums.wav"}, {86, recordings / "bass line.wav"}};
    for (const auto& import : imports) {
        const QString picker = clickFor(program, editor, 122, import.y, "import"); // the strip's track button
        ASSERT_FALSE(picker.isEmpty());
        keys(picker, "type", QString::fromStdString(import.file.string()));
        keys(picker, "key", "Return");
        ASSERT_TRUE(waitFor([&] { return program.windows("import").isEmpty(); }));
    }
    const QString confirm = clickFor(program, editor, 695, 434, "confirm"); // OK
    ASSERT_FALSE(confirm.isEmpty()) << "OK asks to save";
    keys(confirm, "key", "Return");
    main = program.waitForWindow("Vellamorinth v2.5");
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
        return drawnIn(main, kTimeCell, home / "after.png") && drawnIn(main, kNumberCell, home / "after.png");
    }, 10000));

    closeBox(main);
    ASSERT_TRUE(program.endsWithin(30000));
    EXPECT_EQ(program.process.exitCode(), 0);
}
