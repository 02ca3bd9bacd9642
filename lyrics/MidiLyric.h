#pragma once
// The MIDI lyric as the singer reads it: what has been sung in grey, the line being sung in
// yellow, and a few lines of what comes in white, put into the template's formatting.

#include <QColor>
#include <QString>

class QTextDocument;

namespace vl {

struct EngineFunctions;

inline const QColor kSungColour{80, 80, 80};
inline const QColor kSingingColour{255, 255, 0};
inline const QColor kComingColour{255, 255, 255};

// The coming text up to and including its fourth line feed, or its third when it has
// exactly three, followed by "..."; with fewer line feeds the whole text.
QString comingLyricLines(const QString& coming);

// The engine's MIDI lyric text `which` (1 sung, 2 singing, 3 coming), decoded; empty when
// the engine has none.
QString engineMidiText(const EngineFunctions& engine, int which);

// Inserts the three texts after the first character of `buffer` (the template) and colours them.
void composeMidiLyric(QTextDocument& buffer, const QString& sung, const QString& singing, const QString& coming);

} // namespace vl
