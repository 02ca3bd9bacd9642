// The main song list: times and numbers from the info files, colours and row stepping.
#include "app/SongListWidget.h"
#include "core/AppState.h"
#include "setlists/SongListModel.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace vl;

namespace {

struct SongListFixture {
    test::TempFolder home;
    AppState state;
    SongListModel songs{state};
    SongListWidget list;

    SongListFixture() {
        list.setColumnCount(4);
        list.showModel(songs, state.colours);
        state.songsRoot = QString::fromStdString(home.str());
        state.setlistPath = state.songsRoot + "Setlist.txt";
        state.selectedRow = state.currentSong = state.playingSong = 0;
    }
    void song(const std::string& name, const std::string& info) {
        test::writeFile(home / name / "inf", info);
    }
    QString text(int row, int column) const {
        const QTableWidgetItem* item = list.item(row, column);
        return item ? item->text() : QString();
    }
    QStringList columns(int row) const { return {text(row, 1), text(row, 2), text(row, 3)}; }
};

} // namespace

TEST(SongList, TimesAndNumbersFromTheInfoFiles) {
    SongListFixture f;
    f.song("A", "10584000\r\n0\r\n");
    f.song("B", "21168000\r\n");
    f.song("C", "21168000\r\n");
    std::filesystem::create_directories(f.home / "Unsaved");
    const QStringList rows{"A", "SET 2", "B", "C", "Unsaved", "A"};
    takeRows(f.songs, f.state, rows, false);
    EXPECT_EQ(f.columns(0), (QStringList{"01:00", "01:00", "000"}));
    EXPECT_EQ(f.columns(1), (QStringList{"", "", ""}));
    // The set time starts again after the heading and after a song without an info file.
    EXPECT_EQ(f.columns(2), (QStringList{"02:00", "02:00", "001"}));
    EXPECT_EQ(f.columns(3), (QStringList{"04:00", "02:00", "002"}));
    EXPECT_EQ(f.columns(4), (QStringList{"", "", ""}));
    EXPECT_EQ(f.columns(5), (QStringList{"01:00", "01:00", "003"}));
    // Every refresh writes the setlist file.
    EXPECT_EQ(test::readFile(f.home / "Setlist.txt"), "A\r\nSET 2\r\nB\r\nC\r\nUnsaved\r\nA\r\n");

    // Without new rows the columns are recomputed from disk: a removed info file leaves no stale times.
    std::filesystem::remove(f.home / "C" / "inf");
    f.songs.refresh();
    f.songs.setPlayingRow(-1);
    EXPECT_EQ(f.columns(3), (QStringList{"", "", ""}));
    EXPECT_EQ(f.columns(5), (QStringList{"01:00", "01:00", "002"}));
}

TEST(SongList, LongSetsAndManySongs) {
    SongListFixture f;
    // 63 min 7 s and 42 min: a running total of 105:07.
    f.song("Long", std::to_string((63 * 60 + 7) * 176400LL) + "\r\n");
    f.song("Longer", std::to_string(42 * 60 * 176400LL) + "\r\n");
    f.song("Short", "176400\r\n");
    // A length past 32 bits and one past any set: no overflow into negative times.
    f.song("Huge", "9223372036854775807\r\n");
    QStringList rows{"Long", "Longer"};
    for (int i = 0; i < 99; ++i)
        rows.append("Short");
    rows.append("Huge");
    rows.append("Huge");
    takeRows(f.songs, f.state, rows, false);
    EXPECT_EQ(f.columns(1), (QStringList{"105:07", "42:00", "001"}));
    EXPECT_EQ(f.text(2, 3), "002");
    EXPECT_EQ(f.text(11, 3), "011");
    EXPECT_EQ(f.text(100, 3), "100");
    EXPECT_EQ(f.text(100, 1), "106:46");
    EXPECT_EQ(f.text(102, 1), f.text(101, 1));
    EXPECT_FALSE(f.text(102, 1).contains('-'));

    EXPECT_EQ(formatSongTime(0), "00:00");
    EXPECT_EQ(formatSongTime(176399), "00:00");
    EXPECT_EQ(formatSongTime(176400LL * 3600 * 2), "120:00");
    EXPECT_EQ(formatSongNumber(9), "009");
    EXPECT_EQ(formatSongNumber(1234), "1234");
}

TEST(SongList, InfoFileQuirks) {
    SongListFixture f;
    f.song("Empty", "");
    f.song("Text", "abc\r\n");
    f.song("Negative", "-500000\r\n");
    f.song("Spaced", "  352800 frames\r\n");
    std::filesystem::create_directories(f.home / "Dir" / "inf");
    const QStringList rows{"Empty", "Text", "Negative", "Spaced", "Dir"};
    takeRows(f.songs, f.state, rows, false);
    // An info file that opens times its song, even when it holds no number.
    EXPECT_EQ(f.columns(0), (QStringList{"00:00", "00:00", "000"}));
    EXPECT_EQ(f.columns(1), (QStringList{"00:00", "00:00", "001"}));
    EXPECT_EQ(f.columns(2), (QStringList{"00:00", "00:00", "002"}));
    EXPECT_EQ(f.columns(3), (QStringList{"00:02", "00:02", "003"}));
    EXPECT_EQ(f.columns(4), (QStringList{"", "", ""}));
}

TEST(SongList, RowsNamingPathsOutsideTheSongsFolderAreText) {
    SongListFixture f;
    test::TempFolder outside;
    test::writeFile(outside / "Evil" / "inf", "10584000\r\n");
    f.song("Good", "10584000\r\n");
    const std::string rel = "../" + outside.path().filename().string() + "/Evil";
    const QStringList rows{QString::fromStdString(rel), QString::fromStdString(outside.str() + "Evil"), "..",
                           "Good"};
    takeRows(f.songs, f.state, rows, false);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(f.columns(r), (QStringList{"", "", ""})) << r;
    EXPECT_EQ(f.columns(3), (QStringList{"01:00", "01:00", "000"}));
}

TEST(SongList, ColoursAndThePlayingRow) {
    SongListFixture f;
    f.song("A", "10584000\r\n");
    const QStringList rows{"SET 1", "A", "A"};
    f.state.currentSong = 2;
    takeRows(f.songs, f.state, rows, true);
    const ListColours& c = f.state.colours;
    for (int col = 0; col < 4; ++col) {
        EXPECT_EQ(f.list.item(0, col)->foreground().color(), c.listText);
        EXPECT_EQ(f.list.item(1, col)->foreground().color(), c.columnText(col));
        EXPECT_EQ(f.list.item(1, col)->background().color(), c.listBack);
        EXPECT_EQ(f.list.item(2, col)->foreground().color(), c.playingText);
        EXPECT_EQ(f.list.item(2, col)->background().color(), c.playingBack);
    }
    f.songs.refresh();
    f.songs.setPlayingRow(-1);
    EXPECT_EQ(f.list.item(2, 0)->foreground().color(), c.listText);
}

TEST(SongList, TakingFewerRowsPullsTheSelectionIn) {
    SongListFixture f;
    f.state.selectedRow = 5;
    f.state.playingSong = 3;
    const QStringList rows{"a", "b"};
    takeRows(f.songs, f.state, rows, false);
    EXPECT_EQ(f.state.selectedRow, 1);
    EXPECT_EQ(f.state.playingSong, 1);
    EXPECT_EQ(f.list.currentRow(), 1);
    f.state.setlistPath.clear();
    const QStringList none;
    takeRows(f.songs, f.state, none, false);
    EXPECT_EQ(f.list.rowCount(), 0);
    EXPECT_EQ(test::readFile(f.home / "Setlist.txt"), "a\r\nb\r\n");
}

TEST(SongList, SteppingMovesTheSelectionAndTheCurrentSongOnlyWhenIdle) {
    SongListFixture f;
    QStringList rows;
    for (int i = 0; i < 40; ++i)
        rows.append(QString::number(i));
    takeRows(f.songs, f.state, rows, false);
    f.list.resize(300, 200);
    f.list.show();
    EXPECT_FALSE(stepSelection(f.songs, f.state, false, -1) && f.state.selectedRow != 0);
    EXPECT_EQ(f.list.currentRow(), 0);
    EXPECT_TRUE(stepSelection(f.songs, f.state, false, 1));
    EXPECT_EQ(f.state.selectedRow, 1);
    EXPECT_EQ(f.state.currentSong, 1);
    // While a song plays only the selection moves.
    EXPECT_FALSE(stepSelection(f.songs, f.state, true, 1));
    EXPECT_EQ(f.state.selectedRow, 2);
    EXPECT_EQ(f.state.currentSong, 1);
    for (int i = 0; i < 10; ++i)
        stepSelection(f.songs, f.state, false, 1);
    const QRect view = f.list.viewport()->rect();
    EXPECT_TRUE(view.contains(f.list.visualItemRect(f.list.item(15, 0)).center()));
    for (int i = 0; i < 50; ++i)
        stepSelection(f.songs, f.state, false, 1);
    EXPECT_EQ(f.state.selectedRow, 39);
    stepSelection(f.songs, f.state, false, -1);
    EXPECT_EQ(f.state.currentSong, 38);
    // With no highlight UP and DOWN both start at the first row.
    for (int step : {-1, 1}) {
        f.songs.select(-1);
        EXPECT_TRUE(stepSelection(f.songs, f.state, false, step));
        EXPECT_EQ(f.songs.selectedRow(), 0);
        EXPECT_EQ(f.state.currentSong, 0);
    }
    f.list.hide();
}

TEST(SongList, AHugeRowIsShownCutAndKeptWholeInTheFile) {
    SongListFixture f;
    const QString huge(1'000'000, QChar('x'));
    takeRows(f.songs, f.state, {"A", huge}, false);
    EXPECT_EQ(f.text(1, 0).size(), 255);
    EXPECT_EQ(f.songs.title(1), huge);
    EXPECT_EQ(test::readFile(f.home / "Setlist.txt"), "A\r\n" + huge.toStdString() + "\r\n");
}
