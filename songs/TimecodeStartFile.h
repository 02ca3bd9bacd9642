#pragma once
// A song's timecode start, hh:mm:ss:ff, kept in the file "timecode" of the song folder so that
// the program, mixer and info files stay as they are. No file: 00:00:00:00.

#include <QString>

#include <optional>
#include <string_view>

namespace vl {

struct TimecodeStart {
    int hours = 0, minutes = 0, seconds = 0, frames = 0;
    bool operator==(const TimecodeStart&) const = default;
    bool isZero() const { return *this == TimecodeStart{}; }
};

inline constexpr int kHighestTimecodeFrame = 29; // a 30 fps label's last frame

// "hh:mm:ss:ff" (";" or "." may part the frames, as drop frame labels are written), blanks
// around it; nullopt for anything else or a field out of range (hours 0-23, frames 0-29).
std::optional<TimecodeStart> parseTimecodeStart(std::string_view text);
// "hh:mm:ss:ff", two digits each.
QString formatTimecodeStart(const TimecodeStart& start);

// The file's path for `song` in the songs root; empty when the song name could lead elsewhere.
QString timecodeStartPath(const QString& songsRoot, const QString& song);

struct TimecodeStartRead {
    TimecodeStart start;
    bool unreadable = false; // a file is there but holds no label: the start is 00:00:00:00
};
TimecodeStartRead readTimecodeStart(const QString& path);
// 00:00:00:00 takes the file away, so a song that never had one stays as it was. False when
// the file could not be written or removed.
bool writeTimecodeStart(const QString& path, const TimecodeStart& start);

} // namespace vl
