#pragma once
// The exact length of an MP4 / M4A file's sound track, from what the encoder wrote about its
// delay and padding: iTunes' gapless data ("iTunSMPB") or the track's edit list. FFmpeg
// already skips the delay at the start but plays the padding at the end, and reads the
// edit list only to the movie's time scale (often a millisecond).

#include <cstdint>
#include <string>

namespace vl::engine {

// Samples at the track's own time scale (`timeScale`), or 0 in `frames` when the file says
// nothing exact.
struct Mp4Length {
    int64_t frames = 0;
    int64_t timeScale = 0;
};

Mp4Length readMp4Length(const std::string& path);

} // namespace vl::engine
