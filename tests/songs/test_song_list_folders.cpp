// Song folders: the SONG LIST scan, creating files from the templates, deleting a song.
#include "core/AppState.h"
#include "core/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "setlists/SongFolderList.h"
#include "setlists/SongListModel.h"
#include "songs/SongFolders.h"
#include "songs/SongProgram.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vl;
namespace fs = std::filesystem;

namespace {

QString qpath(const fs::path& p) {
    return QString::fromStdString(p.string());
}

struct FolderFixture {
    test::TempFolder home;
    fs::path root = home / "YourSongs";
    AppState state;
    InterfaceTexts texts;
    ScriptedDialogs dialogs;
    SongListModel list{state};

    FolderFixture() {
        texts.fill("english");
        fs::create_directories(root);
        state.programFolder = QString::fromStdString(home.str());
        state.songsRoot = qpath(root) + "/";
        test::writeFile(home / "Data" / "emptySong.p", "Vellamorinth v1.3\r\n");
        test::writeFile(home / "Data" / "empty.rtf", "{\\rtf1 }");
    }
    void rows(const QStringList& texts, int current) {
        list.setTitles(texts);
        list.select(current);
        state.selectedRow = state.currentSong = state.playingSong = current;
    }
};

QStringList names(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out.append(list.item(i)->text());
    return out;
}

} // namespace

TEST(SongFolders, ScanListsFoldersThenDottedNamesInTheFixedColour) {
    FolderFixture f;
    for (const char* d : {"bravo", "Abba", "charlie", "Live 2.0"})
        fs::create_directories(f.root / d);
    fs::create_directory_symlink(f.root / "Abba", f.root / "Linked");
    // Plain files are never songs, dotted or not.
    test::writeFile(f.root / "Setlist.txt", "");
    test::writeFile(f.root / "a.txt", "");
    test::writeFile(f.root / "NoDotFile", "");
    QListWidget songs;
    scanSongFolders(songs, f.state.songsRoot, false, f.state.colours);
    EXPECT_EQ(names(songs), (QStringList{"Abba", "bravo", "charlie", "Linked", "Live 2.0"}));
    EXPECT_EQ(songs.item(0)->foreground().color(), f.state.colours.listText);
    EXPECT_EQ(songs.item(4)->foreground().color(), QColor(2, 88, 147));
    scanSongFolders(songs, f.state.songsRoot, true, f.state.colours);
    EXPECT_EQ(names(songs), (QStringList{"Abba", "bravo", "charlie", "Linked"}));
    scanSongFolders(songs, qpath(f.home / "missing") + "/", false, f.state.colours);
    EXPECT_EQ(songs.count(), 0);
}

TEST(SongFolders, NoToEitherQuestionKeepsTheFolder) {
    FolderFixture f;
    test::writeFile(f.root / "Song" / "Song.p", "x");
    for (bool first : {false, true}) {
        f.dialogs.yesNoAnswers = {first, false};
        EXPECT_FALSE(deleteSongFolder("Song", f.state.songsRoot, f.dialogs, f.texts));
        EXPECT_TRUE(fs::exists(f.root / "Song" / "Song.p"));
    }
    ASSERT_EQ(f.dialogs.asked.size(), 3u);
    EXPECT_EQ(f.dialogs.asked[0].title, "warning...");
    EXPECT_EQ(f.dialogs.asked[0].text,
              "do you really want To delete this folder from harddrive: \n\n" + f.state.songsRoot + "Song ?");
    EXPECT_EQ(f.dialogs.asked[2].text, "really ? You can't undo !!!");
}

// The real message boxes: a stray double Enter, or Escape, deletes nothing.
TEST(SongFolders, EnterOrEscapeOnTheRealQuestionsKeepsTheFolder) {
    FolderFixture f;
    test::writeFile(f.root / "Song" / "Song.p", "x");
    QtDialogs dialogs;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        int answered = 0;
        QTimer presser;
        QObject::connect(&presser, &QTimer::timeout, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box) return;
            ++answered;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(box->focusWidget() ? box->focusWidget() : box, &press);
        });
        presser.start(20);
        EXPECT_FALSE(deleteSongFolder("Song", f.state.songsRoot, dialogs, f.texts));
        EXPECT_GE(answered, 1);
        EXPECT_TRUE(fs::exists(f.root / "Song" / "Song.p"));
    }
}

TEST(SongFolders, DeletionRemovesWriteProtectedFilesButNeverFollowsLinks) {
    FolderFixture f;
    test::TempFolder outside;
    test::writeFile(outside / "keep" / "precious.wav", "data");
    test::writeFile(outside / "single.wav", "data");
    const fs::path song = f.root / "Song";
    test::writeFile(song / "Song.p", "x");
    test::writeFile(song / "stems" / "drums.wav", "x");
    fs::permissions(song / "Song.p", fs::perms::owner_read);
    fs::permissions(song / "stems" / "drums.wav", fs::perms::owner_read);
    fs::permissions(song / "stems", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_directory_symlink(outside / "keep", song / "linked");
    fs::create_symlink(outside / "single.wav", song / "single.wav");
    f.dialogs.yesNoAnswers = {true, true};
    EXPECT_TRUE(deleteSongFolder("Song", f.state.songsRoot, f.dialogs, f.texts));
    EXPECT_FALSE(fs::exists(fs::symlink_status(song)));
    EXPECT_EQ(test::readFile(outside / "keep" / "precious.wav"), "data");
    EXPECT_EQ(test::readFile(outside / "single.wav"), "data");

    // A song "folder" that is itself a link: only the link goes.
    fs::create_directory_symlink(outside / "keep", f.root / "Linked");
    f.dialogs.yesNoAnswers = {true, true};
    EXPECT_TRUE(deleteSongFolder("Linked", f.state.songsRoot, f.dialogs, f.texts));
    EXPECT_FALSE(fs::exists(fs::symlink_status(f.root / "Linked")));
    EXPECT_TRUE(fs::exists(outside / "keep" / "precious.wav"));

    // A plain file in the list (a setlist) is not a song folder.
    test::writeFile(f.root / "Setlist.txt", "a\r\n");
    f.dialogs.yesNoAnswers = {true, true};
    EXPECT_FALSE(deleteSongFolder("Setlist.txt", f.state.songsRoot, f.dialogs, f.texts));
    EXPECT_TRUE(fs::exists(f.root / "Setlist.txt"));
}

TEST(SongFolders, NamesThatLeaveTheSongsFolderAreRefused) {
    FolderFixture f;
    test::writeFile(f.home / "victim" / "file", "x");
    for (const char* bad : {"..", ".", "../victim", "sub/../../victim", "..\\victim", ""}) {
        EXPECT_TRUE(songFolderPath(f.state.songsRoot, bad).isEmpty()) << bad;
        f.dialogs.yesNoAnswers = {true, true};
        EXPECT_FALSE(deleteSongFolder(bad, f.state.songsRoot, f.dialogs, f.texts)) << bad;
    }
    EXPECT_TRUE(fs::exists(f.home / "victim" / "file"));
    EXPECT_EQ(songFolderPath(f.state.songsRoot, "My Song"), f.state.songsRoot + "My Song");

    // Neither is a program or lyric created or opened through such a row.
    f.rows({"../victim"}, 0);
    f.dialogs.yesNoAnswers = {true};
    EXPECT_FALSE(ensureSongFile(SongFileKind::Program, songForFile(f.list, f.state, false), f.state.songsRoot, f.state.programFolder, f.dialogs, f.texts));
    EXPECT_FALSE(fs::exists(f.home / "victim" / "victim.p"));
    ASSERT_EQ(f.dialogs.asked.size(), 1u);
    EXPECT_EQ(f.dialogs.asked.back().title, "error...");
}

TEST(SongFolders, EnsureSongFileCreatesFromTheTemplatesAfterAsking) {
    FolderFixture f;
    f.rows({"SET 1", "New Song"}, 1);
    SongProgram program;
    program.tracks[0].fileName = "old.wav";
    program.tracks[15].fileName = "older.wav";
    program.tracks[16].fileName = "unstored.wav";
    const auto filesLeft = [&] {
        int n = 0;
        for (const auto& t : program.tracks)
            n += t.fileName.isEmpty() ? 0 : 1;
        return n;
    };
    f.dialogs.yesNoAnswers = {false};
    EXPECT_FALSE(ensureSongFile(SongFileKind::Program, songForFile(f.list, f.state, false), f.state.songsRoot, f.state.programFolder, f.dialogs, f.texts, &program));
    EXPECT_FALSE(fs::exists(f.root / "New Song"));
    ASSERT_EQ(f.dialogs.asked.size(), 1u);
    EXPECT_EQ(f.dialogs.asked[0].title, "create...");
    EXPECT_EQ(f.dialogs.asked[0].text, "do you want to create a Program ?");

    f.dialogs.yesNoAnswers = {true};
    EXPECT_TRUE(ensureSongFile(SongFileKind::Program, songForFile(f.list, f.state, false), f.state.songsRoot, f.state.programFolder, f.dialogs, f.texts, &program));
    EXPECT_EQ(test::readFile(f.root / "New Song" / "New Song.p"), "Vellamorinth v1.3\r\n");
    EXPECT_EQ(filesLeft(), 1); // the 16 stored tracks lose their files
    program.tracks[0].fileName = "kept.wav";
    // Existing now: no question, no clearing.
    const auto asked = f.dialogs.asked.size();
    EXPECT_TRUE(ensureSongFile(SongFileKind::Program, songForFile(f.list, f.state, false), f.state.songsRoot, f.state.programFolder, f.dialogs, f.texts, &program));
    EXPECT_EQ(f.dialogs.asked.size(), asked);
    EXPECT_EQ(program.tracks[0].fileName, "kept.wav");

    f.dialogs.yesNoAnswers = {true};
    EXPECT_TRUE(ensureSongFile(SongFileKind::Lyric, songForFile(f.list, f.state, false), f.state.songsRoot, f.state.programFolder, f.dialogs, f.texts, &program));
    EXPECT_EQ(test::readFile(f.root / "New Song" / "New Song.rtf"), "{\\rtf1 }");
    EXPECT_EQ(program.tracks[0].fileName, "kept.wav");
}

TEST(SongFolders, EnsureSongFileRules) {
    FolderFixture f;
    test::writeFile(f.root / "Playing" / "Playing.p", "x");
    f.rows({"Playing", "Other"}, 1);
    // The selection is not the current song: nothing.
    f.state.currentSong = 0;
    EXPECT_FALSE(ensureSongFile(SongFileKind::Program, songForFile(f.list, f.state, false), f.state.songsRoot, f.state.programFolder, f.dialogs, f.texts));
    // While playing, the playing row is the song.
    f.state.currentSong = 1;
    f.state.playingSong = 0;
    EXPECT_TRUE(ensureSongFile(SongFileKind::Program, songForFile(f.list, f.state, true), f.state.songsRoot, f.state.programFolder, f.dialogs, f.texts));
    EXPECT_TRUE(f.dialogs.asked.empty());

    // A missing template: the error message, nothing half made.
    fs::remove(f.home / "Data" / "empty.rtf");
    f.state.playingSong = 1;
    f.dialogs.yesNoAnswers = {true};
    EXPECT_FALSE(ensureSongFile(SongFileKind::Lyric, songForFile(f.list, f.state, false), f.state.songsRoot, f.state.programFolder, f.dialogs, f.texts));
    ASSERT_EQ(f.dialogs.asked.size(), 2u);
    EXPECT_EQ(f.dialogs.asked[1].title, "error...");
    EXPECT_EQ(f.dialogs.asked[1].text,
              "sorry, can't create lyric, missing 'empty.rtf' or incorrect songname!");
    EXPECT_FALSE(fs::exists(f.root / "Other" / "Other.rtf"));
}
