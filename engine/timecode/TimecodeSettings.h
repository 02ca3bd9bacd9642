#pragma once
// What the program sets for the timecode of the next songs (VL_SetTimecode).

#include "engine/timecode/TimecodeRate.h"

#include <cstdint>
#include <functional>

namespace vl::engine::timecode {

struct TimecodeSettings {
    int rateCode = 25;     // 24, 25, 2997 or 30
    TimecodeLabel start;   // the label of the song's time 0
    bool mtc = false;
    bool midiClock = false;
    int ltcChannel = 0;    // output channel 1..8; 0: no LTC
    float ltcLevelDb = -18.0f;
};

// Whole MIDI messages (short ones and system exclusive) to the program's MIDI output.
using MidiBytesOut = std::function<void(const uint8_t* bytes, int length)>;

} // namespace vl::engine::timecode
