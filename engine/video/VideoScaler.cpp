#include "engine/video/VideoScaler.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>

namespace vl::engine {

VideoScaler::~VideoScaler() { sws_freeContext(sws_); }

void VideoScaler::fit(double aspect, int pictureHeight, int fitWidth, int fitHeight, int& width, int& height) {
    if (!(aspect > 0.0) || !std::isfinite(aspect)) aspect = 1.0;
    if (fitWidth <= 0 || fitHeight <= 0) {
        fitHeight = std::max(pictureHeight, 1);
        fitWidth = static_cast<int>(std::min(std::lround(fitHeight * aspect), long{kMaxSide}));
    }
    fitWidth = std::clamp(fitWidth, 1, kMaxSide);
    fitHeight = std::clamp(fitHeight, 1, kMaxSide);
    if (fitWidth >= fitHeight * aspect) {
        height = fitHeight;
        width = static_cast<int>(std::lround(fitHeight * aspect));
    } else {
        width = fitWidth;
        height = static_cast<int>(std::lround(fitWidth / aspect));
    }
    width = std::clamp(width, 1, fitWidth);
    height = std::clamp(height, 1, fitHeight);
}

bool VideoScaler::convert(const AVFrame& picture, double aspect, int fitWidth, int fitHeight, VL_VideoFrame& out) {
    int width = 0, height = 0;
    fit(aspect, picture.height, fitWidth, fitHeight, width, height);
    sws_ = sws_getCachedContext(sws_, picture.width, picture.height, static_cast<AVPixelFormat>(picture.format),
                                width, height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws_) return false;
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(pixels_.data()), nullptr, nullptr, nullptr};
    int strides[4] = {width * 4, 0, 0, 0};
    if (sws_scale(sws_, picture.data, picture.linesize, 0, picture.height, planes, strides) != height) return false;
    out.width = width;
    out.height = height;
    out.stride = width * 4;
    out.pixels = planes[0];
    return true;
}

} // namespace vl::engine
