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

} // namespace vl
