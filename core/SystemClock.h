#pragma once

#include <chrono>
#include <cstdint>

namespace vl {

// The system clock in nanoseconds since 1970: the time base a main machine and its follower
// share (both on NTP), unlike the steady clock of each.
inline int64_t systemClockNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace vl
