#pragma once
// Time tags of a timed lyric: "[m:ss]" or "[m:s]" before the words sung from that time on.
// Reading is strict: anything in brackets that is not a time ("[Chorus]", "[1:xx]", a
// bracket never closed) is lyric text, never a tag, so it can neither stall nor confuse
// the follower.

#include <QString>

#include <cstdint>
#include <optional>

namespace vl {

// 60 x 44,100 frames a minute, 44,100 a second.
constexpr int64_t kFramesPerSecond = 44100;
// Behind the last real tag, so that its stretch stays up until the song ends.
inline constexpr char16_t kTimeTagSentinel[] = u"[299:99]";

struct TimeTag {
    qsizetype open = 0;   // index of the "["
    qsizetype length = 0; // through the closing "]"
    int64_t frames = 0;
};

// The tag whose "[" is at `open`, if it is one.
std::optional<TimeTag> readTimeTagAt(const QString& text, qsizetype open);
// The first tag at or after `from`; the sentinel (placed at text.size()) when there is none.
TimeTag nextTimeTag(const QString& text, qsizetype from);
bool hasTimeTag(const QString& text);

// Where the timed lyric stands: the tag whose stretch is shown (frames at 44,100 Hz) and
// the character positions of the scan in the lyric's plain text.
struct LyricFollower {
    int64_t markerTime = 0;
    qsizetype markerScan = 0;
    qsizetype markerEnd = 0;    // just behind the "[" of the coming tag
    qsizetype segmentStart = 0; // just behind the "[" of the passed tag; 0 before the first
};

// Moves the follower to the stretch that plays at `now` (frames) once the shown tag is
// passed: true when there is a new stretch, from segmentStart to markerEnd - 1.
bool followTimeTags(LyricFollower& follower, const QString& text, int64_t now);

} // namespace vl
