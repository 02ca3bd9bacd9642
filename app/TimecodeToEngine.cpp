#include "app/TimecodeToEngine.h"

#include "core/EngineFunctions.h"

namespace vl {

void handTimecodeToEngine(const EngineFunctions& engine, const TimecodeChoice& choice, const TimecodeStart& start) {
    if (!engine.SetTimecode) return;
    VL_Timecode t{};
    t.rate = choice.fpsCode;
    t.startHours = start.hours;
    t.startMinutes = start.minutes;
    t.startSeconds = start.seconds;
    t.startFrames = start.frames;
    t.mtc = choice.mtc ? 1 : 0;
    t.midiClock = choice.midiClock ? 1 : 0;
    t.ltcChannel = choice.ltcChannel;
    t.ltcLevelDb = static_cast<float>(choice.ltcLevelDb);
    engine.SetTimecode(&t);
}

TimecodeStart songTimecodeStart(const QString& songsRoot, const QString& song) {
    return readTimecodeStart(timecodeStartPath(songsRoot, song)).start;
}

} // namespace vl
