#include "songs/TimecodeStartFile.h"

#include "platform/TextFile.h"
#include "songs/SongPaths.h"

#include <QFile>

#include <array>

namespace vl {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::optional<TimecodeStart> parseTimecodeStart(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    // Two digits, a separator, two digits, ...: exactly 11 characters.
    if (text.size() != 11) return std::nullopt;
    std::array<int, 4> fields{};
    for (std::size_t i = 0; i < 4; ++i) {
        const char high = text[3 * i], low = text[3 * i + 1];
        if (high < '0' || high > '9' || low < '0' || low > '9') return std::nullopt;
        fields[i] = (high - '0') * 10 + (low - '0');
        if (i == 3) break;
        const char separator = text[3 * i + 2];
        if (separator != ':' && !(i == 2 && (separator == ';' || separator == '.'))) return std::nullopt;
    }
    if (fields[0] > 23 || fields[1] > 59 || fields[2] > 59 || fields[3] > kHighestTimecodeFrame) return std::nullopt;
    return TimecodeStart{fields[0], fields[1], fields[2], fields[3]};
}

QString formatTimecodeStart(const TimecodeStart& s) {
    return QStringLiteral("%1:%2:%3:%4")
        .arg(s.hours, 2, 10, QLatin1Char('0'))
        .arg(s.minutes, 2, 10, QLatin1Char('0'))
        .arg(s.seconds, 2, 10, QLatin1Char('0'))
        .arg(s.frames, 2, 10, QLatin1Char('0'));
}

QString timecodeStartPath(const QString& songsRoot, const QString& song) {
    return songFilePath(songsRoot, song, QStringLiteral("timecode"));
}

TimecodeStartRead readTimecodeStart(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.exists()) return {};
    // A label is a dozen bytes: more is no label.
    if (!file.open(QIODevice::ReadOnly)) return {{}, true};
    const QByteArray bytes = file.read(64);
    const auto start = parseTimecodeStart(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    return start ? TimecodeStartRead{*start, false} : TimecodeStartRead{{}, true};
}

bool writeTimecodeStart(const QString& path, const TimecodeStart& start) {
    if (path.isEmpty()) return false;
    if (start.isZero()) return !QFile::exists(path) || QFile::remove(path);
    return writeTextLines(path, {formatTimecodeStart(start)});
}

} // namespace vl
