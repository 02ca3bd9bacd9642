#include "lyrics/TimeTags.h"

namespace vl {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

std::optional<TimeTag> readTimeTagAt(const QString& text, qsizetype open) {
    const qsizetype size = text.size();
    if (open < 0 || open >= size || text[open] != u'[') return std::nullopt;
    qsizetype i = open + 1;
    int64_t minutes = 0;
    int minuteDigits = 0;
    // Three digits reach the sentinel's 299 minutes; more is not a time.
    while (i < size && isDigit(text[i]) && minuteDigits < 3) {
        minutes = minutes * 10 + (text[i].unicode() - u'0');
        ++minuteDigits;
        ++i;
    }
    if (minuteDigits == 0 || i >= size || text[i] != u':') return std::nullopt;
    ++i;
    // The two characters after the colon, a "]" among them ignored: "[1:05]" and "[1:5]".
    int64_t seconds = 0;
    int secondDigits = 0;
    while (i < size && isDigit(text[i]) && secondDigits < 2) {
        seconds = seconds * 10 + (text[i].unicode() - u'0');
        ++secondDigits;
        ++i;
    }
    if (secondDigits == 0 || i >= size || text[i] != u']') return std::nullopt;
    return TimeTag{open, i + 1 - open, (minutes * 60 + seconds) * kFramesPerSecond};
}

TimeTag nextTimeTag(const QString& text, qsizetype from) {
    for (qsizetype open = text.indexOf(u'[', std::max<qsizetype>(0, from)); open >= 0;
         open = text.indexOf(u'[', open + 1)) {
        if (std::optional<TimeTag> tag = readTimeTagAt(text, open)) return *tag;
    }
    const QString sentinel = QString::fromUtf16(kTimeTagSentinel);
    TimeTag end = *readTimeTagAt(sentinel, 0);
    end.open = text.size();
    return end;
}

bool hasTimeTag(const QString& text) { return nextTimeTag(text, 0).open < text.size(); }

bool followTimeTags(LyricFollower& f, const QString& text, int64_t now) {
    constexpr int kMaxSteps = 50000;
    if (now <= f.markerTime) return false;
    for (int step = 0; step < kMaxSteps; ++step) {
        f.segmentStart = f.markerEnd;
        const TimeTag tag = nextTimeTag(text, f.markerScan);
        f.markerEnd = tag.open + 1;
        // Past the sentinel too (a song of five hours): its stretch runs to the end.
        if (tag.frames >= now || tag.open >= text.size()) {
            f.markerTime = tag.frames;
            return true;
        }
        // Every scan start up to the found "[" finds the same tag, so the scan goes on behind it.
        f.markerScan = f.markerEnd;
    }
    return false;
}

} // namespace vl
