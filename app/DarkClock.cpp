#include "app/DarkClock.h"

#include "core/Fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vl {

int darkClockBand(int windowHeight) { return std::max(32, windowHeight / 7); }

QFont darkClockFont(int band) {
    QFont font(Fonts::arialFamily());
    font.setBold(true);
    font.setPixelSize(std::max(8, band * 4 / 5));
    return font;
}

void paintDarkClock(QPainter& painter, const SongClock& clock, const QFont& font, int width, int band) {
    painter.fillRect(0, 0, width, band, Qt::black);
    const QFontMetrics metrics(font);
    const int margin = std::max(8, width / 40);
    const int baseline = (band + metrics.ascent() - metrics.descent()) / 2;
    // As outlines: glyphs this large are not always drawn through the glyph cache.
    QPainterPath figures;
    figures.addText(margin, baseline, font, clock.elapsed);
    figures.addText(width - margin - metrics.horizontalAdvance(clock.remaining), baseline, font, clock.remaining);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(figures, clock.running ? QColor(255, 255, 255) : QColor(100, 100, 100));
    painter.restore();
}

} // namespace vl
