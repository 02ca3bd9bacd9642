// The transport against the real engine module on its no-sound device, which plays in
// real time, with generated songs; the program's own timers drive the polling.
#include "AppHarness.h"
#include "ToneSong.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <functional>

using namespace vl;
using vl::test::AppHarness;

namespace {

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

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
    h.app->startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    EXPECT_EQ(h.engine().GetMaxSongPos(), 10u * 176400);
    h.app->stopPlayback();
    h.main().positionSlider->setValue(500); // the user seeks while stopped
    h.app->startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    EXPECT_NEAR(h.positionSeconds(), 5.0, 0.5);
    h.app->stopPlayback();
    EXPECT_EQ(h.main().positionSlider->value(), 500);
    h.app->startPlayback(true);
    EXPECT_NEAR(h.positionSeconds(), 5.0, 0.5) << "the same song starts again where it started";
    h.app->stopPlayback();

    h.list().selectRow(1);
    h.app->songListClicked();
    h.app->startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    EXPECT_LT(h.positionSeconds(), 0.5) << "another row starts at its beginning";
    EXPECT_EQ(h.main().positionSlider->value(), 0);
}

TEST(TransportEngine, SliderMovedWhilePlayingStopsAndReturnsToTheStart) {
    EngineHarness h({"Alpha"}, 10);
    h.main().positionSlider->setValue(200);
    h.app->startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    ASSERT_TRUE(waitUntil([&] { return h.main().positionSlider->value() > 200; }, 3000))
        << "the fast tick moves the slider along";
    h.main().positionSlider->setValue(800);
    EXPECT_EQ(h.engine().GetPlaying(), 0);
    EXPECT_EQ(h.main().positionSlider->value(), 200);
    EXPECT_EQ(h.main().positionBar->value(), 200);
    EXPECT_EQ(h.main().playButton->text(), "PLAY");
}

TEST(TransportEngine, EndOfTheLastRowWithJumpToNextStaysPut) {
    EngineHarness h({"Alpha", "Beta"}, 1.5);
    h.main().jumpToNextBox->setChecked(true);
    h.main().autoPlayBox->setChecked(true);
    h.list().selectRow(1);
    h.app->songListClicked();
    h.app->startPlayback(true);
    ASSERT_EQ(h.engine().GetPlaying(), 1);
    ASSERT_TRUE(waitUntil([&] { return h.engine().GetPlaying() == 0; }, 6000));
    QApplication::processEvents();
    EXPECT_EQ(h.state().currentSong, 1);
    EXPECT_EQ(h.list().selectedRow(), 1);
    EXPECT_FALSE(waitUntil([&] { return h.engine().GetPlaying() == 1; }, 500)) << "nothing starts";
}

TEST(TransportEngine, EndOfSongJumpsAndAutoPlaysTheNextRow) {
    EngineHarness h({"Alpha", "Beta"}, 1.5);
    h.main().jumpToNextBox->setChecked(true);
    h.main().autoPlayBox->setChecked(true);
    h.app->startPlayback(true);
    ASSERT_TRUE(waitUntil([&] { return h.state().playingSong == 1; }, 6000));
    EXPECT_EQ(h.engine().GetPlaying(), 1);
    EXPECT_EQ(h.list().selectedRow(), 1);
    EXPECT_LT(h.positionSeconds(), 1.0);
}

TEST(TransportEngine, AutoPlayAloneNeverStartsAnything) {
    EngineHarness h({"Alpha", "Beta"}, 1.5);
    h.main().autoPlayBox->setChecked(true);
    h.app->startPlayback(true);
    ASSERT_TRUE(waitUntil([&] { return h.engine().GetPlaying() == 0; }, 6000));
    EXPECT_FALSE(waitUntil([&] { return h.engine().GetPlaying() == 1; }, 500));
    EXPECT_EQ(h.state().currentSong, 0);
    EXPECT_EQ(h.state().playingSong, 0);
}

TEST(TransportEngine, TimeTextsChangeOnlyWhenWholeSecondsChange) {
    EngineHarness h({"Alpha"}, 10);
    QStringList times;
    QObject::connect(h.app.get(), &Application::timeTextChanged,
                     [&](const QString& t, const QString&) { times << t; });
    h.app->startPlayback(true);
    ASSERT_TRUE(waitUntil([&] { return h.positionSeconds() >= 2.3; }, 4000));
    h.app->stopPlayback();
    ASSERT_GE(times.size(), 3);
    EXPECT_EQ(times.mid(times.size() - 3),
              QStringList({"TIME (m:s) 00:00", "TIME (m:s) 00:01", "TIME (m:s) 00:02"}));
    EXPECT_EQ(times.removeDuplicates(), 0);
}
