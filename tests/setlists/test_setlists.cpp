// Loading, creating and saving setlists and the hand-over with the main song list.
#include "SetlistFixture.h"
#include "support/SmallDisk.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::qpath;
using vl::test::SetlistFixture;

TEST(Setlists, LoadingReadsTheWholeFileAndRewritesIt) {
    SetlistFixture f({"Abba"});
    std::string bytes;
    for (int i = 0; i < 1200; ++i)
        bytes += (i % 100 == 0 ? "SET " : "Song ") + std::to_string(i) + "\r\n";
    const auto other = f.home / "Shows" / "big.txt";
    test::writeFile(other, bytes);
    std::filesystem::create_directories(f.home / "Shows" / "Encore");
    f.dialogs.fileAnswers.push_back(qpath(other));
    f.state.selectedRow = f.state.currentSong = f.state.playingSong = 7;
    f.setlists->loadSetlist(true);

    ASSERT_EQ(f.dialogs.asked.size(), 1u);
    EXPECT_EQ(f.dialogs.asked[0].title, "load setlist...");
    EXPECT_EQ(f.state.setlistPath, qpath(other));
    EXPECT_EQ(f.state.songsRoot, qpath(f.home / "Shows") + "/");
    EXPECT_EQ(f.mainRows().size(), 1200);
    EXPECT_EQ(f.mainRows().last(), "Song 1199");
    EXPECT_EQ(f.editor().rows(), f.mainRows());
    EXPECT_EQ(test::readFile(other), bytes);
    EXPECT_EQ(f.state.selectedRow, 0);
    EXPECT_EQ(f.state.currentSong, 0);
    EXPECT_EQ(f.state.playingSong, 0);
    EXPECT_EQ(f.songs.selectedRow(), 0);
    EXPECT_EQ(f.positionResets, 1);
    // The SONG LIST now shows the new folder.
    EXPECT_EQ(f.editor().songRows(), QStringList{"Encore"});

    // Undo right after loading changes nothing.
    f.editor().undo();
    EXPECT_EQ(f.editor().rows().size(), 1200);
    EXPECT_EQ(f.editor().undoStore().position(), 0);
}

TEST(Setlists, CancelledOrUnreadableLoadKeepsTheRows) {
    SetlistFixture f;
    f.editor().setRows({"keep", "these"});
    f.setlists->refreshSongList(true);
    const QString before = f.state.setlistPath;
    f.setlists->loadSetlist(true); // the dialog is cancelled
    EXPECT_EQ(f.state.setlistPath, before);
    EXPECT_EQ(f.mainRows(), (QStringList{"keep", "these"}));

    // A "setlist" that cannot be read is neither loaded nor overwritten.
    std::filesystem::create_directories(f.home / "odd.txt" / "x");
    f.dialogs.fileAnswers.push_back(qpath(f.home / "odd.txt"));
    f.setlists->loadSetlist(true);
    EXPECT_EQ(f.mainRows(), (QStringList{"keep", "these"}));
    EXPECT_TRUE(std::filesystem::exists(f.home / "odd.txt" / "x"));
}

TEST(Setlists, StartUpReloadWritesAMissingDefaultFile) {
    SetlistFixture f;
    test::writeFile(f.home / "YourSongs" / "Setlist.txt", "SET 1\r\nSong A\r\n");
    f.setlists->loadSetlist(false);
    EXPECT_TRUE(f.dialogs.asked.empty());
    EXPECT_EQ(f.mainRows(), (QStringList{"SET 1", "Song A"}));
    EXPECT_EQ(f.setlistBytes(), "SET 1\r\nSong A\r\n");
}

TEST(Setlists, SaveAsAppliesTheTxtRuleAndAsksBeforeOverwriting) {
    SetlistFixture f;
    f.editor().setRows({"SET 1", "Song A"});
    const auto shows = f.home / "Shows";
    std::filesystem::create_directories(shows);
    f.dialogs.fileAnswers.push_back(qpath(shows / "show.txt.txt"));
    f.setlists->saveSetlistAs(false);
    EXPECT_EQ(f.state.setlistPath, qpath(shows / "show.txt"));
    EXPECT_EQ(f.state.songsRoot, qpath(shows) + "/");
    EXPECT_EQ(test::readFile(shows / "show.txt"), "SET 1\r\nSong A\r\n");
    EXPECT_FALSE(std::filesystem::exists(shows / "show.txt.txt"));
    EXPECT_EQ(f.mainRows(), (QStringList{"SET 1", "Song A"}));

    // Choosing "show" names the existing show.txt: the question comes, No keeps the file.
    f.editor().setRows({"other"});
    f.dialogs.asked.clear();
    f.dialogs.fileAnswers.push_back(qpath(shows / "show"));
    f.dialogs.yesNoAnswers.push_back(false);
    f.setlists->saveSetlistAs(false);
    ASSERT_EQ(f.dialogs.asked.size(), 2u);
    EXPECT_EQ(f.dialogs.asked[0].title, "create/save setlist...");
    EXPECT_EQ(f.dialogs.asked[1].title, "confirm ...");
    EXPECT_EQ(f.dialogs.asked[1].text, "setlist is already existing, overwrite ?");
    EXPECT_EQ(test::readFile(shows / "show.txt"), "SET 1\r\nSong A\r\n");

    f.dialogs.fileAnswers.push_back(qpath(shows / "show"));
    f.dialogs.yesNoAnswers.push_back(true);
    f.setlists->saveSetlistAs(false);
    EXPECT_EQ(test::readFile(shows / "show.txt"), "other\r\n");
}

TEST(Setlists, CreateStartsEmptyAndResetsUndo) {
    SetlistFixture f;
    f.editor().setRows({"a", "b"});
    f.setlists->refreshSongList(true);
    f.dialogs.fileAnswers.push_back(qpath(f.home / "new"));
    f.setlists->saveSetlistAs(true);
    EXPECT_EQ(f.state.setlistPath, qpath(f.home / "new.txt"));
    EXPECT_TRUE(f.mainRows().isEmpty());
    EXPECT_EQ(test::readFile(f.home / "new.txt"), "");
    EXPECT_EQ(f.editor().undoStore().position(), 0);
}

TEST(Setlists, EditorOpensInPlaceOfTheMainWindowAndOkHandsTheRowsBack) {
    SetlistFixture f({"Abba", "Bravo"});
    QMainWindow main;
    main.setGeometry(100, 120, 794, 464);
    main.show();
    Setlists setlists({f.state, f.texts, f.dialogs, f.songs, nullptr, &main, [] { return false; }, {}});
    f.editor().setRows({"SET 1"});
    f.setlists->refreshSongList(true);
    setlists.openSetEditor();
    SetEditor& e = setlists.editor();
    EXPECT_TRUE(e.isVisible());
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(e.geometry(), QRect(100, 120, 794, 464));
    EXPECT_EQ(e.rows(), QStringList{"SET 1"});
    EXPECT_EQ(e.songRows(), (QStringList{"Abba", "Bravo"}));
    e.insertSong(1);
    e.setGeometry(200, 220, 794, 464);
    e.findChild<QPushButton*>("ok")->click();
    EXPECT_FALSE(e.isVisible());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.geometry().topLeft(), QPoint(200, 220));
    EXPECT_EQ(f.mainRows(), (QStringList{"SET 1", "Bravo"}));
    EXPECT_EQ(f.setlistBytes(), "SET 1\r\nBravo\r\n");
}

// On a full disk the set editor's OK and SAVE SET AS say so; the file keeps the old
// setlist, the editor stays open with its rows, and the program with its old file.
TEST(Setlists, SavesOnAFullDiskSaySoAndKeepTheRowsOnScreen) {
    SetlistFixture f;
    test::SmallDisk disk{f.home / "YourSongs"};
    if (!disk.mounted) GTEST_SKIP() << "mounting a small disk needs root";
    const QString path = f.state.setlistPath;
    f.setlists->refreshSongList(true);
    f.setlists->openSetEditor();
    f.editor().setRows({"SET 1"});
    disk.fill();
    f.editor().findChild<QPushButton*>("ok")->click();
    f.dialogs.fileAnswers.push_back(qpath(f.home / "YourSongs" / "show"));
    f.setlists->saveSetlistAs(false);
    ASSERT_EQ(f.dialogs.asked.size(), 3u);
    EXPECT_EQ(f.dialogs.asked[0].text, "The setlist could not be saved (disk full or write-protected?). "
                                       "The file keeps the old setlist:\n" + path);
    EXPECT_EQ(f.dialogs.asked[2].kind, "message");
    EXPECT_TRUE(f.editor().isVisible());
    EXPECT_EQ(f.setlistBytes(), "");
    EXPECT_EQ(f.state.setlistPath, path);
}
