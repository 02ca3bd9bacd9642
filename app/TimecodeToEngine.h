#pragma once
// The timecode a song starts with, handed to the engine before VL_Play: the program's rate,
// MTC, MIDI clock and LTC choice, and the song's own start.

#include "settings/TimecodeChoice.h"
#include "songs/TimecodeStartFile.h"

#include <QString>

namespace vl {

struct EngineFunctions;

// Nothing with an engine module that sends no timecode.
void handTimecodeToEngine(const EngineFunctions& engine, const TimecodeChoice& choice, const TimecodeStart& start);

// The start of `song` in the songs root; 00:00:00:00 without a readable file.
TimecodeStart songTimecodeStart(const QString& songsRoot, const QString& song);

} // namespace vl
