#pragma once
// SMPTE frame rates and labels: a frame count from 00:00:00:00 and the hh:mm:ss:ff label it
// shows, with the drop-frame numbering of 29.97 (labels :00 and :01 skipped at each minute
// but every tenth).

#include <cstdint>

namespace vl::engine::timecode {

struct TimecodeRate {
    int nominal = 25;  // frames per second on the label
    bool drop = false; // 29.97 drop frame
    int num = 25;      // real frames per second = num / den
    int den = 1;
    int mtcCode = 1; // MTC's rate bits: 0 = 24, 1 = 25, 2 = 29.97 drop, 3 = 30
};

// 24, 25, 2997 (29.97 drop frame) or 30; any other code reads as 25.
TimecodeRate rateFromCode(int code);

struct TimecodeLabel {
    int hours = 0, minutes = 0, seconds = 0, frames = 0;
    bool operator==(const TimecodeLabel&) const = default;
};

constexpr int64_t kLabelsPerDay = 24LL * 3600;

// Frames counted from 00:00:00:00; a label with fields out of range is held inside them and
// a label drop frame skips counts as the next one that exists.
int64_t frameIndexOf(const TimecodeLabel& label, const TimecodeRate& rate);
// The label of a frame count; the day wraps after 23:59:59.
TimecodeLabel labelOf(int64_t frameIndex, const TimecodeRate& rate);

} // namespace vl::engine::timecode
