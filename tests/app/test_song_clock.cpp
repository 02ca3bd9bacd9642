// The song's time in the real program with the real engine module: elapsed and remaining
// in the main window, and large across the top of the dark stage view, second by second.
#include "AppHarness.h"
#include "ToneSong.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace vl;
using vl::test::waitUntil;

namespace {

// The rows of `area` that hold a white pixel (the stage view's figures), top to bottom.
int whiteRows(const QImage& image, const QRect& area) {
    int first = -1, last = -1;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 255, 255)) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

} // namespace

TEST(SongClock, ElapsedAndRemainingShowInTheMainWindowAndLargeInTheStageView) {
    test::AppHarness h(test::realEngine());
    test::writeToneSong(h.home / "YourSongs", "Tone", 70);
    h.app->engine().InitAudioDriver(0, &h.main());
    h.setRows({"Tone"});
    auto* clock = h.main().findChild<QLabel*>("songClock");
    ASSERT_NE(clock, nullptr) << "the main window shows the song's time";
    h.ticks(0, 1);
    EXPECT_EQ(clock->text(), "--:--  01:10") << "stopped: the selected song's length";
    EXPECT_FALSE(clock->isEnabled());

    h.app->transport().startPlayback(true);
    ASSERT_EQ(h.app->engine().GetPlaying(), 1);
    ASSERT_TRUE(waitUntil([&] { return clock->text().startsWith("00:01"); }, 5000)) << clock->text().toStdString();
    EXPECT_EQ(clock->text(), "00:01  -01:09") << "the remaining time counts the second begun";
    EXPECT_TRUE(clock->isEnabled());

    h.app->darkMode().toggle();
    ASSERT_TRUE(h.app->darkMode().active());
    QLabel* canvas = h.main().controls().darkCanvas;
    const QImage first = canvas->pixmap().toImage();
    const int width = first.width();
    const QRect left(0, 0, width / 3, first.height() / 6), right(width * 2 / 3, 0, width / 3, first.height() / 6);
    EXPECT_GT(whiteRows(first, left), first.height() / 20) << "elapsed, large, on the left";
    EXPECT_GT(whiteRows(first, right), first.height() / 20) << "remaining, large, on the right";
    const QString shown = clock->text();
    ASSERT_TRUE(waitUntil([&] { return clock->text() != shown; }, 3000));
    const QImage next = canvas->pixmap().toImage();
    EXPECT_NE(next.copy(left), first.copy(left)) << "the stage view follows the seconds";

    h.app->transport().stopPlayback();
    h.ticks(0, 1);
    EXPECT_EQ(clock->text(), "--:--  01:10");
    EXPECT_EQ(whiteRows(canvas->pixmap().toImage(), left), 0) << "dimmed while nothing plays";
}
