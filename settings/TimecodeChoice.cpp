#include "settings/TimecodeChoice.h"

#include <algorithm>
#include <iterator>

namespace vl {

bool isTimecodeFpsCode(int code) {
    return std::find(std::begin(kTimecodeFpsCodes), std::end(kTimecodeFpsCodes), code) != std::end(kTimecodeFpsCodes);
}

TimecodeChoice withOverride(TimecodeChoice choice, const TimecodeOverride& run) {
    if (run.fpsCode) choice.fpsCode = *run.fpsCode;
    if (run.ltcChannel) choice.ltcChannel = *run.ltcChannel;
    choice.mtc = choice.mtc || run.mtc;
    choice.midiClock = choice.midiClock || run.midiClock;
    return choice;
}

} // namespace vl
