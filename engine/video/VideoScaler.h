#pragma once
// Turns a decoded picture into 32-bit RGB pixels scaled to fit a size with the video's
// aspect, the form the program's window shows. Used by the video thread only.

#include "vellamorinth_engine.h"

#include <cstdint>
#include <vector>

struct AVFrame;
struct SwsContext;

namespace vl::engine {

class VideoScaler {
public:
    VideoScaler() = default;
    ~VideoScaler();
    VideoScaler(const VideoScaler&) = delete;
    VideoScaler& operator=(const VideoScaler&) = delete;

    // The largest size of `aspect` (width over height) inside fitWidth x fitHeight; a fit of
    // 0 or less keeps the picture's height. Never smaller than 1 x 1, never past kMaxSide.
    static void fit(double aspect, int pictureHeight, int fitWidth, int fitHeight, int& width, int& height);
    static constexpr int kMaxSide = 8192;

    // False when the picture's format cannot be converted. The frame's pixels stay valid
    // until the next call.
    bool convert(const AVFrame& picture, double aspect, int fitWidth, int fitHeight, VL_VideoFrame& out);

private:
    SwsContext* sws_ = nullptr;
    std::vector<uint32_t> pixels_;
};

} // namespace vl::engine
