#include "engine/timecode/TimecodeRate.h"

#include <algorithm>

namespace vl::engine::timecode {

namespace {

// Drop frame: two labels skipped in each minute not divisible by ten.
constexpr int64_t kDropPerMinute = 2;

int64_t framesPerDay(const TimecodeRate& rate) {
    const int64_t plain = kLabelsPerDay * rate.nominal;
    return rate.drop ? plain - kDropPerMinute * (24 * 60 - 24 * 6) : plain;
}

} // namespace

TimecodeRate rateFromCode(int code) {
    switch (code) {
    case 24: return {24, false, 24, 1, 0};
    case 2997: return {30, true, 30000, 1001, 2};
    case 30: return {30, false, 30, 1, 3};
    default: return {25, false, 25, 1, 1};
    }
}

int64_t frameIndexOf(const TimecodeLabel& label, const TimecodeRate& rate) {
    const int64_t h = std::clamp(label.hours, 0, 23), m = std::clamp(label.minutes, 0, 59);
    const int64_t s = std::clamp(label.seconds, 0, 59);
    int64_t f = std::clamp(label.frames, 0, rate.nominal - 1);
    const int64_t totalMinutes = h * 60 + m;
    if (rate.drop) {
        if (s == 0 && m % 10 != 0 && f < kDropPerMinute) f = kDropPerMinute;
        return (totalMinutes * 60 + s) * rate.nominal + f - kDropPerMinute * (totalMinutes - totalMinutes / 10);
    }
    return (totalMinutes * 60 + s) * rate.nominal + f;
}

TimecodeLabel labelOf(int64_t frameIndex, const TimecodeRate& rate) {
    const int64_t day = framesPerDay(rate);
    int64_t n = ((frameIndex % day) + day) % day;
    if (rate.drop) {
        // Put back the skipped labels: 17982 frames in ten minutes, 1798 in each later minute.
        const int64_t perTen = 10 * 60 * rate.nominal - 9 * kDropPerMinute;
        const int64_t perMinute = 60 * rate.nominal - kDropPerMinute;
        const int64_t tens = n / perTen, rest = n % perTen;
        n += 9 * kDropPerMinute * tens;
        if (rest > kDropPerMinute) n += kDropPerMinute * ((rest - kDropPerMinute) / perMinute);
    }
    TimecodeLabel l;
    l.frames = static_cast<int>(n % rate.nominal);
    n /= rate.nominal;
    l.seconds = static_cast<int>(n % 60);
    n /= 60;
    l.minutes = static_cast<int>(n % 60);
    l.hours = static_cast<int>(n / 60);
    return l;
}

} // namespace vl::engine::timecode
