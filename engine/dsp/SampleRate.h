#pragma once
// The sample rate the track effects run at: the output device's. Times and frequencies
// are set in milliseconds and hertz and turned into samples at that rate.

#include <algorithm>
#include <cmath>

namespace vl::engine::dsp {

// The rate an effect assumes when none is given.
inline constexpr double kSampleRate = 44100.0;
// Rates the effects are built for. Outside, an effect runs as at the nearest end: below,
// the high band and the reverb's shelf would lie past Nyquist; above, the echo alone
// would hold megabytes per track.
inline constexpr double kMinSampleRate = 22050.0;
inline constexpr double kMaxSampleRate = 192000.0;

inline double effectRate(double rate) {
    return std::isnan(rate) ? kSampleRate : std::clamp(rate, kMinSampleRate, kMaxSampleRate);
}

} // namespace vl::engine::dsp
