#pragma once
// One audio file's samples at its own rate and channel count, read by the track decoder.
// Used by one thread at a time.

#include "engine/AudioFormat.h"

#include <cstddef>
#include <cstdint>

namespace vl::engine {

class AudioFileReader {
public:
    virtual ~AudioFileReader() = default;

    int rate() const { return rate_; }
    int channels() const { return channels_; }
    // What the file really holds, encoder delay and padding removed where the file says so.
    int64_t frames() const { return frames_; }

    // The next read starts at frame `frame`, exactly. False when the file cannot get there.
    virtual bool seek(int64_t frame) = 0;
    // At most `frames` interleaved frames into `out`; 0 at the end or when reading fails for good.
    virtual std::size_t read(float* out, std::size_t frames) = 0;

    // Lengths cross the interface as signed song bytes in places: none may pass 2^31 - 1.
    static int64_t maxFrames(int rate) {
        return static_cast<int64_t>(double(0x7fffffff) / kSongBytesPerFrame * rate / kSampleRate);
    }

protected:
    int rate_ = 0;
    int channels_ = 0;
    int64_t frames_ = 0;
};

// Outside this range a header is broken or hostile: a 1 Hz file would need a resampling
// buffer of gigabytes.
constexpr int kMinFileRate = 1000;
constexpr int kMaxFileRate = 768000;
// More channels than any real recording: a header claiming more is broken.
constexpr int kMaxFileChannels = 64;

} // namespace vl::engine
