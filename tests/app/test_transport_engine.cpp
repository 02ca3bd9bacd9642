// The transport against the real engine module on its no-sound device, which plays in
// real time, with generated songs; the program's own timers drive the polling.
#include "AppHarness.h"
#include "ToneSong.h"

#include <QApplication>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <functional>

using namespace vl;
using vl::test::waitUntil;
using vl::test::AppHarness;

namespace {

struct EngineHarness : AppHarness {
    explicit EngineHarness(const QStringList& rows, double seconds) : AppHarness(test::realEngine()) {
        for (const QString& row : rows) test::writeToneSong(home / "YourSongs", row.toStdString(), seconds);
        app->engine().InitAudioDriver(0, &main());
        setRows(rows);
    }
    ~EngineHarness() { app->engine().Stop(); }
    const EngineFunctions& engine() { return app->engine(); }
    double positionSeconds() { return engine().GetSongPos() / 176400.0; }
};

} // namespace

TEST(TransportEngine, SameSongRestartsAtTheSliderAnotherRowAtTheStart) {
    EngineHarness h({"Alpha", "Beta"}, 10);
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    EXPECT_EQ(h.engine().GetMaxSongPos(), 10u * 176400);
    h.app->transport().stopPlayback();
    h.main().controls().positionSlider->setValue(500); // the user seeks while stopped
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    EXPECT_NEAR(h.positionSeconds(), 5.0, 0.5);
    h.app->transport().stopPlayback();
    EXPECT_EQ(h.main().controls().positionSlider->value(), 500);
    h.app->transport().startPlayback(true);
    EXPECT_NEAR(h.positionSeconds(), 5.0, 0.5) << "the same song starts again where it started";
    h.app->transport().stopPlayback();

    h.list().selectRow(1);
    h.app->mainLoop().songListClicked();
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    EXPECT_LT(h.positionSeconds(), 0.5) << "another row starts at its beginning";
    EXPECT_EQ(h.main().controls().positionSlider->value(), 0);
}

TEST(TransportEngine, SliderMovedWhilePlayingStopsAndReturnsToTheStart) {
    EngineHarness h({"Alpha"}, 10);
    h.main().controls().positionSlider->setValue(200);
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    ASSERT_TRUE(waitUntil([&] { return h.main().controls().positionSlider->value() > 200; }, 3000))
        << "the fast tick moves the slider along";
    h.main().controls().positionSlider->setValue(800);
    EXPECT_EQ(h.engine().GetPlaying(), 0);
    EXPECT_EQ(h.main().controls().positionSlider->value(), 200);
    EXPECT_EQ(h.main().controls().positionBar->value(), 200);
    EXPECT_EQ(h.main().controls().playButton->text(), "PLAY");
}

TEST(TransportEngine, EndOfTheLastRowWithJumpToNextStaysPut) {
    EngineHarness h({"Alpha", "Beta"}, 1.5);
    h.main().controls().jumpToNextBox->setChecked(true);
    h.main().controls().autoPlayBox->setChecked(true);
    h.list().selectRow(1);
    h.app->mainLoop().songListClicked();
    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    ASSERT_TRUE(waitUntil([&] { return h.engine().GetPlaying() == 0; }, 6000));
    QApplication::processEvents();
    EXPECT_EQ(h.state().currentSong, 1);
    EXPECT_EQ(h.list().selectedRow(), 1);
    EXPECT_FALSE(waitUntil([&] { return h.engine().GetPlaying() == 1; }, 500)) << "nothing starts";
}

TEST(TransportEngine, EndOfSongJumpsAndAutoPlaysTheNextRow) {
    EngineHarness h({"Alpha", "Beta"}, 1.5);
    h.main().controls().jumpToNextBox->setChecked(true);
    h.main().controls().autoPlayBox->setChecked(true);
    h.app->transport().startPlayback(true);
    ASSERT_TRUE(waitUntil([&] { return h.state().playingSong == 1; }, 6000));
    EXPECT_EQ(h.engine().GetPlaying(), 1);
    EXPECT_EQ(h.list().selectedRow(), 1);
    EXPECT_LT(h.positionSeconds(), 1.0);
}

TEST(TransportEngine, AutoPlayAloneNeverStartsAnything) {
    EngineHarness h({"Alpha", "Beta"}, 1.5);
    h.main().controls().autoPlayBox->setChecked(true);
    h.app->transport().startPlayback(true);
    ASSERT_TRUE(waitUntil([&] { return h.engine().GetPlaying() == 0; }, 6000));
    EXPECT_FALSE(waitUntil([&] { return h.engine().GetPlaying() == 1; }, 500));
    EXPECT_EQ(h.state().currentSong, 0);
    EXPECT_EQ(h.state().playingSong, 0);
}

TEST(TransportEngine, TimeTextsChangeOnlyWhenWholeSecondsChange) {
    EngineHarness h({"Alpha"}, 10);
    QStringList times;
    QObject::connect(&h.app->transport(), &Transport::timeTextChanged,
                     [&](const QString& t, const QString&) { times << t; });
    h.app->transport().startPlayback(true);
    ASSERT_TRUE(waitUntil([&] { return h.positionSeconds() >= 2.3; }, 4000));
    h.app->transport().stopPlayback();
    ASSERT_GE(times.size(), 3);
    EXPECT_EQ(times.mid(times.size() - 3),
              QStringList({"TIME (m:s) 00:00", "TIME (m:s) 00:01", "TIME (m:s) 00:02"}));
    EXPECT_EQ(times.removeDuplicates(), 0);
}

TEST(TransportEngine, TheEndOfSongPauseLeavesKeysAndTimersWorking) {
    EngineHarness h({"Alpha", "Beta", "Gamma"}, 1.5);
    h.main().controls().jumpToNextBox->setChecked(true);
    h.app->transport().startPlayback(true);
    const auto atTheEnd = [&] { return h.engine().GetSongPos() + 10000 >= h.engine().GetMaxSongPos(); };
    ASSERT_TRUE(waitUntil(atTheEnd, 6000));
    // Within the second the song rings out, a key still moves the selection at once.
    QElapsedTimer ringingOut;
    ringingOut.start();
    ASSERT_TRUE(waitUntil([&] { return ringingOut.elapsed() > 200; }, 1000));
    ASSERT_EQ(h.engine().GetPlaying(), 1) << "still ringing out";
    h.pressKey(Qt::Key_Down);
    EXPECT_EQ(h.list().selectedRow(), 1);
    ASSERT_TRUE(waitUntil([&] { return h.engine().GetPlaying() == 0; }, 3000));
    EXPECT_GE(ringingOut.elapsed(), 700) << "the song was stopped one second after its end, not earlier";
    EXPECT_EQ(h.main().controls().playButton->text(), "PLAY");
}
