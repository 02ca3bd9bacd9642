#pragma once
// The dark stage view of the setlist: large centred titles on black, the selected row on
// a bar that blinks while a song plays, and a key hint at the bottom.

#include <QFont>
#include <QString>
#include <QStringList>

#include <vector>

class QPainter;

namespace vl {

struct DarkLayout {
    int rows = 1;          // rows the view shows; never 0
    int rowSize = 0;       // pixels per row unit
    int rowFontPoints = 1; // fonts 0 and 1
    int hintFontPoints = 1;// font 2
};

// From the setting "setlist text size" and the maximised window's height. A size that is
// not a positive number counts as the default 12; a size so large that no row would fit
// still shows one row.
DarkLayout darkLayout(const QString& setlistTextSize, int windowHeight);

struct DarkSetlistPicture {
    QStringList titles;           // column 0 of every row
    std::vector<bool> timeMissing;// column 2 empty, per row
    int selected = -1;
    int playingRow = -1;          // -1 while nothing plays
    int rows = 1;
    int width = 0;                // client width
    int height = 0;               // client height less 30
    QFont rowFont, selectedFont, hintFont;
    QString keyHint;
};

// Draws the picture; while a song plays, `blinkPhase` (0..4) steps on and the bar
// behind the selected row shows on two of every five drawings.
void paintDarkSetlist(QPainter& painter, const DarkSetlistPicture& picture, int& blinkPhase);

} // namespace vl
