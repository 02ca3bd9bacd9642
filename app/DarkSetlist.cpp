#include "app/DarkSetlist.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vl {

DarkLayout darkLayout(const QString& setlistTextSize, int windowHeight) {
    bool ok = false;
    int size = setlistTextSize.trimmed().toInt(&ok);
    if (!ok || size <= 0) size = 12;
    DarkLayout layout;
    layout.rows = std::max(1, windowHeight / size / 4);
    layout.rowSize = static_cast<int>(std::lround(28.0 / layout.rows * 10 * 0.0018 * windowHeight));
    layout.rowFontPoints = std::max(1, static_cast<int>(std::lround((layout.rowSize + 4) * 0.75)));
    layout.hintFontPoints = std::max(1, static_cast<int>(std::lround((layout.rowSize + 4) * 0.4)));
    return layout;
}

namespace {

// Text placed with its top at `top`, as the stage view lays out rows.
void drawTextAt(QPainter& painter, int x, int top, const QString& text) {
    painter.drawText(x, top + QFontMetrics(painter.font()).ascent(), text);
}

int centredX(QPainter& painter, int width, const QString& text) {
    return width / 2 - QFontMetrics(painter.font()).horizontalAdvance(text) / 2;
}

} // namespace

void paintDarkSetlist(QPainter& painter, const DarkSetlistPicture& p, int& blinkPhase) {
    const int W = p.width;
    const int H = p.height;
    const int rows = std::max(1, p.rows);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.fillRect(0, 0, W, std::max(0, H), Qt::black);
    const double h = 28.0 / rows * 10 * 0.0018 * H;
    double y = -10;
    const bool playing = p.playingRow >= 0;
    auto title = [&](int r) { return r >= 0 && r < p.titles.size() ? p.titles[r] : QString(); };

    // With fewer than four rows the view would begin below the selection and never show
    // it, so it begins at the selected row at the latest.
    const int first = p.selected - std::max(0, rows / 2 - 2);
    int visited = 0;
    for (int r = first; r <= p.selected + rows / 2 + 2 && visited < rows; ++r, ++visited) {
        if (r == p.selected) {
            y += 0.33 * h;
            const int textY = static_cast<int>(std::lround(y + 30));
            if (!playing || blinkPhase > 2)
                painter.fillRect(0, textY - 1, W, static_cast<int>(std::lround(1.5 * h + 5)), QColor(40, 40, 40));
            if (playing) blinkPhase = blinkPhase >= 4 ? 0 : blinkPhase + 1;
            painter.setFont(p.selectedFont);
            const QString text = title(r);
            const int x = centredX(painter, W, text);
            painter.setPen(r == p.playingRow ? QColor(255, 0, 0) : QColor(0, 150, 0));
            drawTextAt(painter, x, textY, text);
            y += 2.3 * h;
            const bool timeMissing = r >= 0 && r < static_cast<int>(p.timeMissing.size()) && p.timeMissing[r];
            if (timeMissing) {
                painter.setPen(QColor(255, 0, 0));
                drawTextAt(painter, W / 2 + QFontMetrics(painter.font()).horizontalAdvance(text) / 2, textY,
                           QStringLiteral(" --"));
            }
            continue;
        }
        const int textY = static_cast<int>(std::lround(y + 30));
        if (y > H) break;
        if (r >= 0) {
            if (y > H - 100) break;
            painter.setFont(p.rowFont);
            const QString text = title(r);
            painter.setPen(r == p.playingRow ? QColor(255, 0, 0) : QColor(200, 200, 200));
            drawTextAt(painter, centredX(painter, W, text), textY, text);
        }
        y += 1.6 * h;
    }

    painter.setFont(p.hintFont);
    painter.setPen(QColor(100, 100, 100));
    drawTextAt(painter, centredX(painter, W, p.keyHint), H - 40, p.keyHint);
}

} // namespace vl
