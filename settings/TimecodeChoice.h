#pragma once
// The program's timecode settings (the "timecode" group of the settings window, kept in
// prefs) and what the command line changes of them for one run.

#include <optional>

namespace vl {

struct TimecodeChoice {
    int fpsCode = 25;      // 24, 25, 2997 (29.97 drop frame) or 30
    bool mtc = false;      // MIDI time code through the MIDI output
    int ltcChannel = 0;    // output 1..8 that carries LTC; 0: none
    int ltcLevelDb = -18;  // dBFS
    bool midiClock = false;
    bool operator==(const TimecodeChoice&) const = default;
};

inline constexpr int kTimecodeFpsCodes[] = {24, 25, 2997, 30};
inline constexpr int kLtcLevelLowestDb = -60;

bool isTimecodeFpsCode(int code);

struct TimecodeOverride {
    std::optional<int> fpsCode;
    std::optional<int> ltcChannel;
    bool mtc = false;       // on for this run
    bool midiClock = false; // on for this run
};

TimecodeChoice withOverride(TimecodeChoice choice, const TimecodeOverride& run);

} // namespace vl
