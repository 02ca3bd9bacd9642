// The drawn stage setlist, looked at pixel by pixel.
#include "app/DarkSetlist.h"
#include "core/Fonts.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace vl;

namespace {

DarkSetlistPicture picture(int selected, int playingRow = -1) {
    DarkSetlistPicture p;
    for (int i = 0; i < 30; ++i) p.titles << QStringLiteral("Song %1").arg(i);
    p.timeMissing.assign(30, false);
    p.selected = selected;
    p.playingRow = playingRow;
    p.width = 1000;
    p.height = 700;
    const DarkLayout layout = darkLayout("12", 730);
    p.rows = layout.rows;
    p.rowFont = QFont(Fonts::arialFamily(), layout.rowFontPoints, QFont::Bold);
    p.selectedFont = p.rowFont;
    p.hintFont = QFont(Fonts::arialFamily(), layout.hintFontPoints);
    p.keyHint = "SPACE = play song";
    return p;
}

QImage draw(const DarkSetlistPicture& p, int& blinkPhase) {
    QImage image(p.width, p.height + 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintDarkSetlist(painter, p, blinkPhase);
    return image;
}

int countColour(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
            if (image.pixelColor(x, y) == colour) ++n;
    return n;
}

// The band the selected row occupies: as many rows before it as the view shows above.
QRect selectedBand(const DarkSetlistPicture& p) {
    const double h = 28.0 / p.rows * 10 * 0.0018 * p.height;
    const int before = std::max(0, p.rows / 2 - 2);
    const double y = -10 + before * 1.6 * h + 0.33 * h;
    const int top = static_cast<int>(std::lround(y + 30)) - 1;
    return {0, top, p.width, static_cast<int>(std::lround(1.5 * h + 5))};
}

// The first line of the grey bar, looked for at the left edge where no text reaches.
int barTop(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        if (image.pixelColor(2, y) == QColor(40, 40, 40)) return y;
    return -1;
}

} // namespace

TEST(DarkLayout, RowsFollowTheTextSizeAndNeverReachZero) {
    EXPECT_EQ(darkLayout("12", 1050).rows, 21);
    EXPECT_EQ(darkLayout("12", 1050).rowFontPoints, 22);
    EXPECT_EQ(darkLayout("", 1050).rows, 21) << "an empty size is the default 12";
    EXPECT_EQ(darkLayout("big", 1050).rows, 21);
    EXPECT_EQ(darkLayout("-3", 1050).rows, 21);
    EXPECT_EQ(darkLayout("900", 1050).rows, 1);
    EXPECT_GT(darkLayout("900", 1050).rowSize, 0);
    EXPECT_EQ(darkLayout("12", 0).rows, 1);
}

TEST(DarkSetlist, SelectedRowSitsOnAGreyBarWithItsTitleInGreen) {
    DarkSetlistPicture p = picture(10);
    int blink = 0;
    const QImage image = draw(p, blink);
    const QRect band = selectedBand(p);
    EXPECT_GT(countColour(image, band, QColor(40, 40, 40)), band.width() * band.height() / 2);
    EXPECT_GT(countColour(image, band, QColor(0, 150, 0)), 20);
    EXPECT_EQ(countColour(image, {0, 0, p.width, p.height}, QColor(255, 0, 0)), 0) << "nothing plays, nothing red";
    EXPECT_GT(countColour(image, {0, 0, p.width, band.top()}, QColor(200, 200, 200)), 20) << "rows above";
    EXPECT_GT(countColour(image, {0, p.height - 40, p.width, 30}, QColor(100, 100, 100)), 5) << "key hint";
    EXPECT_EQ(blink, 0) << "the bar only blinks while playing";
}

TEST(DarkSetlist, TheSelectionKeepsItsScreenPlaceAndRowsBeforeTheFirstStayEmpty) {
    int blink = 0;
    const QImage a = draw(picture(10), blink);
    const QImage b = draw(picture(11), blink);
    const QRect band = selectedBand(picture(10));
    EXPECT_EQ(barTop(a), band.top());
    EXPECT_EQ(barTop(b), band.top());

    DarkSetlistPicture first = picture(0);
    const QImage top = draw(first, blink);
    EXPECT_EQ(barTop(top), band.top());
    EXPECT_EQ(countColour(top, {0, 0, first.width, band.top() - 1}, QColor(200, 200, 200)), 0);
}

TEST(DarkSetlist, PlayingRowIsRedAndTheBarBlinksOnTwoOfFiveDrawings) {
    DarkSetlistPicture p = picture(10, 12);
    int blink = 0;
    int barShown = 0;
    for (int i = 0; i < 10; ++i) {
        const QImage image = draw(p, blink);
        const QRect band = selectedBand(p);
        if (countColour(image, band, QColor(40, 40, 40)) > 100) ++barShown;
        EXPECT_GT(countColour(image, {0, band.bottom(), p.width, p.height - band.bottom()}, QColor(255, 0, 0)), 20);
    }
    EXPECT_EQ(barShown, 4);
    EXPECT_EQ(blink, 0);
}

TEST(DarkSetlist, SelectedRowWithoutATimeCarriesARedMark) {
    DarkSetlistPicture p = picture(10);
    p.titles[10] = "No Time";
    p.timeMissing[10] = true;
    int blink = 0;
    const QImage image = draw(p, blink);
    const QRect band = selectedBand(p);
    const int titleEnd = p.width / 2 + QFontMetrics(p.selectedFont).horizontalAdvance("No Time") / 2;
    EXPECT_GT(countColour(image, {titleEnd, band.top(), p.width - titleEnd, band.height()}, QColor(255, 0, 0)), 5);
    EXPECT_EQ(countColour(image, {0, band.top(), titleEnd - 2, band.height()}, QColor(255, 0, 0)), 0);
}

TEST(DarkSetlist, OneRowWithAHugeTextSizeStillDraws) {
    DarkSetlistPicture p = picture(3);
    p.rows = darkLayout("5000", 730).rows;
    int blink = 0;
    const QImage image = draw(p, blink);
    EXPECT_GT(countColour(image, {0, 0, p.width, p.height}, QColor(0, 150, 0)), 0);
}

TEST(DarkSetlist, RowsPastTwoThousandAreDrawnLikeAnyOther) {
    DarkSetlistPicture p = picture(2050);
    for (int i = 30; i < 2100; ++i) p.titles << QStringLiteral("Song %1").arg(i);
    p.timeMissing.assign(2100, false);
    int blink = 0;
    const QImage image = draw(p, blink);
    const QRect band = selectedBand(p);
    EXPECT_GT(countColour(image, band, QColor(0, 150, 0)), 20) << "the selected title";
    EXPECT_GT(countColour(image, {0, 0, p.width, band.top()}, QColor(200, 200, 200)), 20) << "rows above";
    EXPECT_GT(countColour(image, {0, band.bottom(), p.width, p.height - 50 - band.bottom()}, QColor(200, 200, 200)), 20)
        << "rows below";
}
