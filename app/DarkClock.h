#pragma once
// The song's time in the dark stage view: a band across the top with the elapsed time on
// the left and the remaining time on the right, in figures the band can read from afar.

#include <QFont>
#include <QString>

class QPainter;

namespace vl {

struct SongClock {
    QString elapsed;
    QString remaining;
    bool running = false; // a song plays; otherwise both are dimmed
    bool operator==(const SongClock&) const = default;
};

// The band's height for a window of `windowHeight` pixels, and the font that fills it.
int darkClockBand(int windowHeight);
QFont darkClockFont(int band);

// Paints the band 0, 0, width x band (black behind the figures).
void paintDarkClock(QPainter& painter, const SongClock& clock, const QFont& font, int width, int band);

} // namespace vl
