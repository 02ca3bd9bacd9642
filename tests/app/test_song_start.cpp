// What a song start hands the engine and tells the musician: a row that is no playable song
// plays nothing and says why; a MIDI file or sound font the engine could not read is named.
#include "AppHarness.h"
#include "ToneSong.h"
#include "engine/MidiFileWriter.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::AppHarness;

namespace {

void writeProgram(const std::filesystem::path& folder, const std::string& song, const SongProgram& program) {
    std::filesystem::create_directories(folder);
    writeTextLines(QString::fromStdString((folder / (song + ".p")).string()),
                   writeProgramLines(program, FileNames::Included));
}

} // namespace

TEST(SongStart, ARowThatIsNoPlayableSongPlaysNothingAndSaysWhy) {
    AppHarness h;
    const auto songs = h.home / "YourSongs";
    test::writeToneSong(songs, "Good", 5);
    std::filesystem::create_directories(songs / "No Program");
    test::writeFile(songs / "Damaged" / "Damaged.p", "not a program\r\n");
    h.setRows({"Good", "../Good", "Missing", "No Program", "Damaged"}, {"", "", "", "", ""});
    QLabel* notice = h.main().controls().notice;

    h.main().controls().playButton->click();
    ASSERT_EQ(h.recorder.playing, 1);
    h.main().controls().playButton->click();
    const QStringList said{
        "NOT PLAYED: \"../Good\" is no folder in the songs folder",
        "NOT PLAYED: there is no song folder \"Missing\"",
        "NOT PLAYED: no program for \"No Program\": SONG EDIT makes one",
        "NOT PLAYED: no program for \"Damaged\": SONG EDIT makes one",
    };
    for (int row = 1; row <= 4; ++row) {
        h.list().selectRow(row);
        h.app->mainLoop().songListClicked();
        h.recorder.clear();
        h.main().controls().playButton->click();
        EXPECT_TRUE(h.recorder.callsNamed("Play").empty()) << row;
        EXPECT_TRUE(h.recorder.callsNamed("SetAFileName").empty()) << "the slots of the song before stay unused";
        EXPECT_EQ(h.recorder.playing, 0);
        EXPECT_EQ(h.main().controls().playButton->text(), "PLAY");
        EXPECT_TRUE(notice->isVisible());
        EXPECT_EQ(notice->text(), said[row - 1]);
        h.app->mainLoop().mainWindowCallback(1); // the sound device's state is polled
        EXPECT_EQ(notice->text(), said[row - 1]) << "the device's good state does not wipe the reason";
    }

    // A good start clears the notice.
    h.list().selectRow(0);
    h.app->mainLoop().songListClicked();
    h.app->transport().startPlayback(true);
    EXPECT_FALSE(notice->isVisible());
}

TEST(SongStart, AnUnreadableTrackMidiFileOrSoundFontIsNamedInTheNoticeLine) {
    AppHarness h(test::realEngine());
    const EngineFunctions& engine = h.app->engine();
    ASSERT_NE(engine.GetUnreadableFile, nullptr) << "the module of this build has the export";
    engine.InitAudioDriver(0, &h.main());
    const auto songs = h.home / "YourSongs";
    SongProgram program;
    program.tracks[0].fileName = "tune.mid";
    program.tracks[0].volume = 1.0f;
    writeProgram(songs / "Tune", "Tune", program);
    ASSERT_TRUE(test::writeFile(songs / "Tune" / "tune.mid",
                                test::buildSmf({{test::channelMessage(0, 0x90, 60, 100),
                                                 test::channelMessage(test::at(4.0), 0x80, 60, 0)}})));
    SongProgram garbled = program;
    garbled.tracks[3].fileName = "take.m4a";
    writeProgram(songs / "Garbled", "Garbled", garbled);
    test::writeFile(songs / "Garbled" / "tune.mid", std::string(200, 'x'));
    test::writeFile(songs / "Garbled" / "take.m4a", std::string(300, 'x'));
    h.setRows({"Tune", "Garbled"}, {"", ""});
    QLabel* notice = h.main().controls().notice;

    const std::string brokenFont = (h.home / "broken.sf2").string();
    test::writeFile(brokenFont, "not a sound font");
    engine.SetSoundFontPath(brokenFont.c_str());
    h.app->transport().startPlayback(true);
    ASSERT_EQ(engine.GetPlaying(), 1);
    // The font loads on the engine's own thread: its fault reaches the notice line at a tick.
    EXPECT_TRUE(test::waitUntil([&] { return notice->isVisible(); }, 5000));
    EXPECT_EQ(notice->text(), QString::fromStdString("MIDI TRACK: the sound font cannot be read: " + brokenFont));
    h.app->mainLoop().mainWindowCallback(1);
    EXPECT_TRUE(notice->isVisible()) << "it stays while the song plays";
    h.app->transport().stopPlayback();

    engine.SetSoundFontPath("/usr/share/sounds/sf2/TimGM6mb.sf2");
    h.list().selectRow(1);
    h.app->mainLoop().songListClicked();
    h.app->transport().startPlayback(true);
    EXPECT_TRUE(notice->text().startsWith(QString::fromStdString("NO MIDI TRACK: the MIDI file cannot be read: " +
                                                                 (songs / "Garbled" / "tune.mid").string())));
    EXPECT_TRUE(notice->text().contains("TRACK 4 PLAYS SILENT: take.m4a cannot be read (")) << notice->text().toStdString();
    h.app->transport().stopPlayback();

    h.list().selectRow(0);
    h.app->mainLoop().songListClicked();
    h.app->transport().startPlayback(true);
    ASSERT_EQ(engine.GetPlaying(), 1);
    EXPECT_FALSE(notice->isVisible()) << "all read, empty slots unnamed: nothing to say";
    h.app->transport().stopPlayback();
}
