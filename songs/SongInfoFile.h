#pragma once
// The song info file "inf": line 1 holds the song's length in song bytes.

#include <QString>

#include <cstdint>
#include <optional>

namespace vl {

// The length from line 1; nullopt when the file cannot be read.
std::optional<int64_t> readSongInfoLength(const QString& path);

// Whole seconds of a length in song bytes (44,100 Hz, 4 bytes a frame).
inline int64_t songBytesToSeconds(int64_t songBytes) {
    return songBytes / 4 / 44100;
}

} // namespace vl
