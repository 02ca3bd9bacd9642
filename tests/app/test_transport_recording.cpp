// The transport against the recording engine: what it asks the engine, in which order,
// and what the operator sees.
#include "AppHarness.h"
#include "mixer/MixerCallNames.h"
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace vl;
using vl::test::AppHarness;

namespace {

constexpr uint32_t kTenSeconds = 10 * 176400;

std::vector<double> songPositionsSent(const test::RecordingEngine& r) {
    std::vector<double> out;
    for (const auto& call : r.callsNamed("SetSongPos")) out.push_back(call.n[0]);
    return out;
}

// Plays the selected row and lets the engine report a position close to its end.
void playUntilTheEnd(AppHarness& h) {
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.recorder.playing, 1);
    h.recorder.maxSongPos = kTenSeconds;
    h.recorder.songPos = kTenSeconds - 5000;
    h.recorder.clear();
    h.app->mainLoop().mainWindowCallback(0);
}

} // namespace

TEST(Transport, SameSongRestartsAtTheSliderAnotherRowAtZero) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.main().controls().positionSlider->setValue(200);
    h.app->transport().startPlayback(true);
    h.app->transport().startPlayback(true); // the toggle stops
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_EQ(h.main().controls().positionSlider->value(), 200);
    h.app->transport().startPlayback(true);
    h.app->transport().stopPlayback();
    h.list().selectRow(1);
    h.app->transport().startPlayback(true);
    EXPECT_EQ(songPositionsSent(h.recorder), std::vector<double>({200, 200, 0}));
    EXPECT_EQ(h.state().playingSong, 1);
    EXPECT_EQ(h.state().currentSong, 1);
}

TEST(Transport, SliderMovedWhilePlayingStopsAndReturnsToTheStart) {
    AppHarness h;
    h.setRows({"A"});
    h.main().controls().positionSlider->setValue(300);
    h.app->transport().startPlayback(true);
    h.recorder.maxSongPos = kTenSeconds;
    h.recorder.songPos = kTenSeconds / 2;
    h.app->mainLoop().mainWindowCallback(0);
    EXPECT_EQ(h.main().controls().positionSlider->value(), 500) << "the slider follows the song";
    EXPECT_EQ(h.main().controls().positionBar->value(), 500);
    h.main().controls().positionSlider->setValue(700); // as the user drags it
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_EQ(h.main().controls().positionSlider->value(), 300);
    EXPECT_EQ(h.main().controls().positionBar->value(), 300);
    EXPECT_EQ(h.main().controls().positionSlider->toolTip(), "(m:s) 00:03");
}

TEST(Transport, EndOfSongJumpsToTheNextRowAndAutoPlayStartsIt) {
    AppHarness h;
    h.setRows({"A", "B", "C"});
    h.main().controls().jumpToNextBox->setChecked(true);
    h.main().controls().autoPlayBox->setChecked(true);
    playUntilTheEnd(h);
    EXPECT_EQ(h.recorder.names().at(1), "Stop") << "after the engine's message hook";
    EXPECT_EQ(h.recorder.callsNamed("Play").size(), 1u);
    EXPECT_EQ(h.recorder.playing, 1);
    EXPECT_EQ(h.state().currentSong, 1);
    EXPECT_EQ(h.state().playingSong, 1);
    EXPECT_EQ(h.list().selectedRow(), 1);
    EXPECT_EQ(songPositionsSent(h.recorder), std::vector<double>({0}));
    EXPECT_EQ(h.list().item(1, 0)->foreground().color(), h.state().colours.playingText);
    EXPECT_EQ(h.list().item(0, 0)->foreground().color(), h.state().colours.listText);
}

TEST(Transport, EndOfTheLastRowWithJumpToNextStaysPut) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.list().selectRow(1);
    h.main().controls().jumpToNextBox->setChecked(true);
    h.main().controls().autoPlayBox->setChecked(true);
    playUntilTheEnd(h);
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_TRUE(h.recorder.callsNamed("Play").empty());
    EXPECT_EQ(h.state().currentSong, 1);
    EXPECT_EQ(h.list().selectedRow(), 1);
    EXPECT_EQ(h.main().controls().playButton->text(), "PLAY");
}

TEST(Transport, AutoPlayAloneNeverStartsAnything) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.main().controls().autoPlayBox->setChecked(true);
    playUntilTheEnd(h);
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_TRUE(h.recorder.callsNamed("Play").empty());
    EXPECT_EQ(h.state().currentSong, 0);
}

TEST(Transport, AnotherRowPickedDuringTheSongIsWhatAutoPlayStarts) {
    AppHarness h;
    h.setRows({"A", "B", "C"});
    h.main().controls().autoPlayBox->setChecked(true);
    h.main().controls().jumpToNextBox->setChecked(true);
    h.app->transport().startPlayback(true);
    h.list().selectRow(2); // picked while A plays
    h.app->mainLoop().songListClicked();
    EXPECT_EQ(h.state().currentSong, 0);
    h.recorder.maxSongPos = kTenSeconds;
    h.recorder.songPos = kTenSeconds;
    h.app->mainLoop().mainWindowCallback(0);
    EXPECT_EQ(h.state().playingSong, 2) << "the stop takes the selected row, and it differs from the one played";
    EXPECT_EQ(h.recorder.playing, 1);
}

TEST(Transport, TimeTextsChangeOnlyWhenWholeSecondsChange) {
    AppHarness h;
    h.setRows({"A", "B"});
    QStringList times, topLines;
    QObject::connect(&h.app->transport(), &Transport::timeTextChanged, [&](const QString& t, const QString& top) {
        times << t;
        topLines << top;
    });
    h.app->transport().startPlayback(true);
    h.recorder.maxSongPos = 100 * 176400;
    for (uint32_t pos = 0; pos <= 3 * 176400; pos += 176400 / 8) {
        h.recorder.songPos = pos;
        h.app->mainLoop().mainWindowCallback(0);
    }
    h.recorder.songPos = 75 * 176400;
    h.app->mainLoop().mainWindowCallback(0);
    EXPECT_EQ(times, QStringList({"TIME (m:s) 00:00", "TIME (m:s) 00:01", "TIME (m:s) 00:02",
                                  "TIME (m:s) 00:03", "TIME (m:s) 01:15"}));
    EXPECT_EQ(topLines.front(), "TIME (m:s) 00:00        >>> B");
}

TEST(Transport, UnknownLengthShowsPositionZero) {
    AppHarness h;
    h.setRows({"A"});
    h.recorder.maxSongPos = 0;
    h.app->transport().startPlayback(true);
    h.recorder.songPos = 5000;
    h.main().controls().positionBar->setValue(300);
    h.app->transport().updatePositionDisplays();
    EXPECT_EQ(h.main().controls().positionBar->value(), 0);
    EXPECT_EQ(h.main().controls().positionSlider->value(), 0);
    h.app->transport().showSliderTime(500);
    EXPECT_EQ(h.main().controls().positionSlider->toolTip(), "(m:s) 00:00");
    h.recorder.maxSongPos = 3 * 60 * 176400;
    h.app->transport().showSliderTime(500);
    EXPECT_EQ(h.main().controls().positionSlider->toolTip(), "(m:s) 01:30");
}

TEST(Transport, FailedStartStopsAndNoDriverAsksForOne) {
    AppHarness h;
    h.setRows({"A"});
    h.recorder.playResult = 0;
    h.app->transport().startPlayback(true);
    EXPECT_EQ(h.recorder.names().back(), "Stop");
    EXPECT_EQ(h.main().controls().playButton->text(), "PLAY");
    EXPECT_EQ(h.list().item(0, 0)->foreground().color(), h.state().colours.listText);
    EXPECT_TRUE(h.dialogs.asked.empty());

    h.recorder.playResult = 1;
    h.prefs().audioDriverIndex = 0;
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.dialogs.asked.size(), 1u);
    EXPECT_EQ(h.dialogs.asked[0].title, "select driver...");
    EXPECT_EQ(h.dialogs.asked[0].text, "can't play, please select and activate audio driver !");
}

TEST(Transport, PlayingShowsTheAnimationAndMarksTheRow) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.app->transport().startPlayback(true);
    EXPECT_TRUE(h.main().controls().playAnimation->isVisible());
    EXPECT_EQ(h.main().controls().playButton->text(), "STOP");
    EXPECT_EQ(h.list().item(0, 3)->background().color(), h.state().colours.playingBack);
    h.app->darkMode().toggle();
    h.app->darkMode().toggle();
    EXPECT_TRUE(h.main().controls().playAnimation->isVisible()) << "leaving dark mode while playing";
    EXPECT_EQ(h.main().controls().playButton->text(), "STOP");
    h.app->transport().stopPlayback();
    EXPECT_FALSE(h.main().controls().playAnimation->isVisible());
    EXPECT_EQ(h.list().item(0, 3)->background().color(), h.state().colours.listBack);
}

namespace {

// A song folder with a program of two tracks on sub-groups 0 and 2.
void writeSong(AppHarness& h, const std::string& song, float volume) {
    SongProgram program;
    program.tracks[0].fileName = "drums.wav";
    program.tracks[0].volume = volume;
    program.tracks[0].pan = -20;
    program.tracks[1].fileName = "bass.wav";
    program.tracks[1].volume = 0.5f;
    program.tracks[1].outputPair = 2;
    const std::filesystem::path folder = h.home / "YourSongs" / song;
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(writeTextLines(QString::fromStdString((folder / (song + ".p")).string()),
                               writeProgramLines(program, FileNames::Included)));
}

} // namespace

TEST(TransportStart, FilesPositionMixerPlayMixerInThatOrder) {
    AppHarness h;
    writeSong(h, "Alpha", 0.75f);
    h.setRows({"SET 1", "Alpha"});
    h.list().selectRow(1);
    h.main().controls().positionSlider->setValue(0);
    h.prefs().subgroupOutput = {0, 1, 3, 2};
    h.recorder.clear();
    h.app->transport().startPlayback(true);

    std::vector<std::string> expected(8, "SetAFileName");
    expected.push_back("SetSongPos");
    const auto mixer = test::mixerCallNames();
    expected.insert(expected.end(), mixer.begin(), mixer.end());
    expected.push_back("Play");
    expected.insert(expected.end(), mixer.begin(), mixer.end());
    std::vector<std::string> names = h.recorder.names();
    names.erase(std::remove(names.begin(), names.end(), "WndMainProc"), names.end());
    EXPECT_EQ(names, expected);

    const auto files = h.recorder.callsNamed("SetAFileName");
    const std::string songFolder = h.home.str() + "YourSongs/Alpha/";
    EXPECT_EQ(files[0].text, songFolder + "drums.wav");
    EXPECT_EQ(files[0].n, std::vector<double>({1, 0, 0.75, -20})) << "the stored volume, unscaled";
    EXPECT_EQ(files[1].text, songFolder + "bass.wav");
    EXPECT_EQ(files[1].n[1], 3) << "sub-group 5/6 goes to the pair chosen for it";
    EXPECT_EQ(files[8].text, "") << "the mixer keeps the files";
    EXPECT_NEAR(files[8].n[2], 0.75 * 127 * 0.00787, 1e-5);
    EXPECT_EQ(h.state().selectedRow, 1);
}

TEST(TransportStart, GloballyMutedTrackGetsANameThatOpensNothing) {
    AppHarness h;
    writeSong(h, "Alpha", 1.0f);
    h.setRows({"Alpha"});
    h.prefs().globalMute[0] = true;
    h.recorder.clear();
    h.app->transport().startPlayback(true);
    const auto files = h.recorder.callsNamed("SetAFileName");
    EXPECT_EQ(files[0].text, "nö");
    EXPECT_EQ(files[0].n, std::vector<double>({1, 0, 0, 0}));
    EXPECT_EQ(files[8].n[2], 0.0) << "and the mixer sends it silence";
    EXPECT_NE(files[1].text, "nö");
}

TEST(TransportStart, AProgramEditedInMemoryIsKeptWithoutReload) {
    AppHarness h;
    writeSong(h, "Alpha", 1.0f);
    h.setRows({"Alpha"});
    h.app->program().tracks[0].fileName = "other.wav";
    h.recorder.clear();
    h.app->transport().startPlayback(false);
    EXPECT_EQ(h.recorder.callsNamed("SetAFileName")[0].text, h.home.str() + "YourSongs/Alpha/other.wav");
    h.app->transport().stopPlayback();
    h.recorder.clear();
    h.app->transport().startPlayback(true);
    EXPECT_EQ(h.recorder.callsNamed("SetAFileName")[0].text, h.home.str() + "YourSongs/Alpha/drums.wav");
}

TEST(Transport, ALostSoundDeviceIsSaidInTheWindowWithoutTakingTheKeys) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.app->transport().startPlayback(true);
    QLabel* notice = h.main().controls().notice;
    h.recorder.deviceState = VL_DEVICE_LOST;
    h.app->mainLoop().mainWindowCallback(1);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "NO SOUND: the audio device is gone. Reconnecting ...");
    // Over the stage view too, and the keys still work: no box waits for an answer.
    h.app->darkMode().toggle();
    h.app->mainLoop().mainWindowCallback(1);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(h.dialogs.asked.empty());
    h.pressKey(Qt::Key_Space);
    EXPECT_EQ(h.recorder.playing, 0) << "SPACE still stops";
    h.recorder.deviceState = VL_DEVICE_UNAVAILABLE;
    h.app->mainLoop().mainWindowCallback(1);
    EXPECT_EQ(notice->text(), "NO SOUND: the audio device does not answer. Trying again ...");
    h.recorder.deviceState = VL_DEVICE_FINE;
    h.app->mainLoop().mainWindowCallback(1);
    EXPECT_FALSE(notice->isVisible());
}
