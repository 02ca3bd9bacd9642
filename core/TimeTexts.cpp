#include "core/TimeTexts.h"

#include <QStringList>

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

int songTimeSeconds(const QString& text) {
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() != 2) return 0;
    bool minutesOk = false;
    bool secondsOk = false;
    const int minutes = parts[0].toInt(&minutesOk);
    const int seconds = parts[1].toInt(&secondsOk);
    if (!minutesOk || !secondsOk || minutes < 0 || seconds < 0 || seconds > 59 || minutes > 1000000) return 0;
    return minutes * 60 + seconds;
}

} // namespace vl
