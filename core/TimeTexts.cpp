#include "core/TimeTexts.h"

#include <cmath>

namespace vl {

QString minutesSeconds(uint64_t songBytes) {
    const uint64_t seconds = songBytes / 4 / 44100;
    const uint64_t minutes = seconds / 60;
    const uint64_t rest = seconds - 60 * minutes;
    return QStringLiteral("%1:%2").arg(minutes, 2, 10, QLatin1Char('0')).arg(rest, 2, 10, QLatin1Char('0'));
}

int positionPerMille(uint32_t position, uint32_t length) {
    if (length == 0) return 0;
    return static_cast<int>(std::lround(position * 1.0 / length * 1000));
}

} // namespace vl
