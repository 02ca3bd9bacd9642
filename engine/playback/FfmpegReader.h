#pragma once
// An audio file read with FFmpeg: AAC and ALAC in MP4/M4A, raw AAC, WMA, Opus in Matroska
// or WebM, and whatever else FFmpeg decodes. Positions come from the file's time stamps, so
// a seek lands on its sample and a damaged stretch keeps the rest in time; the length is
// checked by decoding the file's end, and an MP4's gapless data trims the encoder padding.

#include "engine/media/MediaInput.h"
#include "engine/playback/AudioFileReader.h"

#include <memory>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace vl::engine {

class FfmpegReader final : public AudioFileReader {
public:
    // nullptr when the file holds no audio FFmpeg can decode; `why` then says why.
    static std::unique_ptr<FfmpegReader> open(const std::string& path, std::string* why = nullptr);
    ~FfmpegReader() override;
    FfmpegReader(const FfmpegReader&) = delete;
    FfmpegReader& operator=(const FfmpegReader&) = delete;

    bool seek(int64_t frame) override;
    std::size_t read(float* out, std::size_t frames) override;

private:
    FfmpegReader() = default;
    bool start(const std::string& path, std::string* why);
    bool measure(const std::string& path);
    // The end of the audio decoded from `frame` on, or -1 when nothing decodes there.
    int64_t endFrom(int64_t frame);
    // The end of the last packet that reads whole, read through without decoding; -1 when unknown.
    int64_t scanPackets();
    bool rewind();
    // The next decoded frame into decoded_, placed in time; false at the end.
    bool decodeNext();
    bool place();

    std::string path_;
    FormatPtr format_;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    int64_t timeBaseNum_ = 1, timeBaseDen_ = 1;
    bool hasOrigin_ = false;
    int64_t originPts_ = 0;   // the time stamp of the file's first sample
    int64_t tolerance_ = 2;   // samples a time stamp may be off by rounding alone
    int64_t limit_ = 0;       // frames read() gives at most

    std::vector<float> decoded_; // interleaved, at channels_
    std::size_t decodedPos_ = 0, decodedCount_ = 0;
    bool placed_ = false; // next_ is known
    int64_t next_ = 0;    // the position of decoded_[decodedPos_]
    int64_t target_ = 0;  // nothing before it comes out after a seek
    bool draining_ = false, drained_ = false;
    bool atStart_ = false; // freshly opened, nothing read yet
};

} // namespace vl::engine
