#pragma once
// Song bytes as the user sees them: thousandths of the song and minutes:seconds.

#include <QString>

#include <cstdint>

namespace vl {

inline constexpr int64_t kSongBytesPerSecond = 176400; // 44,100 Hz, 16-bit stereo

// "mm:ss" of a span of song bytes; minutes grow past two digits.
QString minutesSeconds(uint64_t songBytes);

// Position in thousandths of the length, rounded; 0 while the length is unknown (0).
int positionPerMille(uint32_t position, uint32_t length);

// Seconds of an "mm:ss" text as the song list shows it; 0 when it is no such text.
int songTimeSeconds(const QString& text);

} // namespace vl
