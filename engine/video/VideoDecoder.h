#pragma once
// A video file read with FFmpeg: the pictures of its first video stream in order, each with
// the song position it is due at (the video's time 0 is the song's start). Hardware decoding
// is used where FFmpeg offers a device for the codec, software otherwise. Used by the video
// thread only.

#include <cstdint>
#include <memory>
#include <string>

struct AVBufferRef;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace vl::engine {

struct FrameDeleter {
    void operator()(AVFrame* frame) const;
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

class VideoDecoder {
public:
    // nullptr when the file cannot be opened or holds no video stream FFmpeg can decode.
    static std::unique_ptr<VideoDecoder> open(const std::string& path);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Goes to the last key picture at or before `songBytes`; the pictures after it lead up
    // to the one due there. False when the file cannot seek (it then plays from where it is).
    bool seek(uint32_t songBytes);
    // The next picture in software memory, with its due position in dueSongBytes; nullptr at
    // the end of the stream or when reading fails for good.
    FramePtr next(uint32_t& dueSongBytes);
    bool hardware() const { return hwDevice_ != nullptr; }
    // Width over height as the picture is meant to be seen (pixel aspect included).
    double displayAspect() const;

private:
    VideoDecoder() = default;
    bool receive(FramePtr& out);
    uint32_t dueOf(const AVFrame& frame);

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVBufferRef* hwDevice_ = nullptr;
    AVPacket* packet_ = nullptr;
    int stream_ = -1;
    int64_t startPts_ = 0;
    double secondsPerTick_ = 0.0;
    double frameSeconds_ = 0.04;
    double lastDue_ = -1.0; // seconds; for pictures without a time stamp
    bool draining_ = false;
    bool drained_ = false;
};

} // namespace vl::engine
