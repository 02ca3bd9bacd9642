// The transport against the recording engine: what it asks the engine, in which order,
// and what the operator sees.
#include "AppHarness.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

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
    h.app->startPlayback(true);
    ASSERT_EQ(h.recorder.playing, 1);
    h.recorder.maxSongPos = kTenSeconds;
    h.recorder.songPos = kTenSeconds - 5000;
    h.recorder.clear();
    h.app->mainWindowCallback(0);
}

} // namespace

TEST(Transport, SameSongRestartsAtTheSliderAnotherRowAtZero) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.main().positionSlider->setValue(200);
    h.app->startPlayback(true);
    h.app->startPlayback(true); // the toggle stops
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_EQ(h.main().positionSlider->value(), 200);
    h.app->startPlayback(true);
    h.app->stopPlayback();
    h.list().selectRow(1);
    h.app->startPlayback(true);
    EXPECT_EQ(songPositionsSent(h.recorder), std::vector<double>({200, 200, 0}));
    EXPECT_EQ(h.state().playingSong, 1);
    EXPECT_EQ(h.state().currentSong, 1);
}

TEST(Transport, SliderMovedWhilePlayingStopsAndReturnsToTheStart) {
    AppHarness h;
    h.setRows({"A"});
    h.main().positionSlider->setValue(300);
    h.app->startPlayback(true);
    h.recorder.maxSongPos = kTenSeconds;
    h.recorder.songPos = kTenSeconds / 2;
    h.app->mainWindowCallback(0);
    EXPECT_EQ(h.main().positionSlider->value(), 500) << "the slider follows the song";
    EXPECT_EQ(h.main().positionBar->value(), 500);
    h.main().positionSlider->setValue(700); // as the user drags it
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_EQ(h.main().positionSlider->value(), 300);
    EXPECT_EQ(h.main().positionBar->value(), 300);
    EXPECT_EQ(h.main().positionSlider->toolTip(), "(m:s) 00:03");
}

TEST(Transport, EndOfSongJumpsToTheNextRowAndAutoPlayStartsIt) {
    AppHarness h;
    h.setRows({"A", "B", "C"});
    h.main().jumpToNextBox->setChecked(true);
    h.main().autoPlayBox->setChecked(true);
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
    h.main().jumpToNextBox->setChecked(true);
    h.main().autoPlayBox->setChecked(true);
    playUntilTheEnd(h);
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_TRUE(h.recorder.callsNamed("Play").empty());
    EXPECT_EQ(h.state().currentSong, 1);
    EXPECT_EQ(h.list().selectedRow(), 1);
    EXPECT_EQ(h.main().playButton->text(), "PLAY");
}

TEST(Transport, AutoPlayAloneNeverStartsAnything) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.main().autoPlayBox->setChecked(true);
    playUntilTheEnd(h);
    EXPECT_EQ(h.recorder.playing, 0);
    EXPECT_TRUE(h.recorder.callsNamed("Play").empty());
    EXPECT_EQ(h.state().currentSong, 0);
}

TEST(Transport, AnotherRowPickedDuringTheSongIsWhatAutoPlayStarts) {
    AppHarness h;
    h.setRows({"A", "B", "C"});
    h.main().autoPlayBox->setChecked(true);
    h.main().jumpToNextBox->setChecked(true);
    h.app->startPlayback(true);
    h.list().selectRow(2); // picked while A plays
    h.app->songListClicked();
    EXPECT_EQ(h.state().currentSong, 0);
    h.recorder.maxSongPos = kTenSeconds;
    h.recorder.songPos = kTenSeconds;
    h.app->mainWindowCallback(0);
    EXPECT_EQ(h.state().playingSong, 2) << "the stop takes the selected row, and it differs from the one played";
    EXPECT_EQ(h.recorder.playing, 1);
}

TEST(Transport, TimeTextsChangeOnlyWhenWholeSecondsChange) {
    AppHarness h;
    h.setRows({"A", "B"});
    QStringList times, topLines;
    QObject::connect(h.app.get(), &Application::timeTextChanged, [&](const QString& t, const QString& top) {
        times << t;
        topLines << top;
    });
    h.app->startPlayback(true);
    h.recorder.maxSongPos = 100 * 176400;
    for (uint32_t pos = 0; pos <= 3 * 176400; pos += 176400 / 8) {
        h.recorder.songPos = pos;
        h.app->mainWindowCallback(0);
    }
    h.recorder.songPos = 75 * 176400;
    h.app->mainWindowCallback(0);
    EXPECT_EQ(times, QStringList({"TIME (m:s) 00:00", "TIME (m:s) 00:01", "TIME (m:s) 00:02",
                                  "TIME (m:s) 00:03", "TIME (m:s) 01:15"}));
    EXPECT_EQ(topLines.front(), "TIME (m:s) 00:00        >>> B");
}

TEST(Transport, UnknownLengthShowsPositionZero) {
    AppHarness h;
    h.setRows({"A"});
    h.main().positionSlider->setValue(0);
    h.app->showSliderTime(500);
    EXPECT_EQ(h.main().positionSlider->toolTip(), "(m:s) 00:00");
    h.recorder.maxSongPos = 3 * 60 * 176400;
    h.app->showSliderTime(500);
    EXPECT_EQ(h.main().positionSlider->toolTip(), "(m:s) 01:30");
}

TEST(Transport, FailedStartStopsAndNoDriverAsksForOne) {
    AppHarness h;
    h.setRows({"A"});
    h.recorder.playResult = 0;
    h.app->startPlayback(true);
    EXPECT_EQ(h.recorder.names().back(), "Stop");
    EXPECT_EQ(h.main().playButton->text(), "PLAY");
    EXPECT_EQ(h.list().item(0, 0)->foreground().color(), h.state().colours.listText);
    EXPECT_TRUE(h.dialogs.asked.empty());

    h.recorder.playResult = 1;
    h.state().audioDriverIndex = 0;
    h.app->startPlayback(true);
    ASSERT_EQ(h.dialogs.asked.size(), 1u);
    EXPECT_EQ(h.dialogs.asked[0].title, "select driver...");
    EXPECT_EQ(h.dialogs.asked[0].text, "can't play, please select and activate audio driver !");
}

TEST(Transport, PlayingShowsTheAnimationAndMarksTheRow) {
    AppHarness h;
    h.setRows({"A", "B"});
    h.app->startPlayback(true);
    EXPECT_TRUE(h.main().playAnimation->isVisible());
    EXPECT_EQ(h.main().playButton->text(), "STOP");
    EXPECT_EQ(h.list().item(0, 3)->background().color(), h.state().colours.playingBack);
    h.app->toggleDarkMode();
    h.app->toggleDarkMode();
    EXPECT_TRUE(h.main().playAnimation->isVisible()) << "leaving dark mode while playing";
    EXPECT_EQ(h.main().playButton->text(), "STOP");
    h.app->stopPlayback();
    EXPECT_FALSE(h.main().playAnimation->isVisible());
    EXPECT_EQ(h.list().item(0, 3)->background().color(), h.state().colours.listBack);
}
