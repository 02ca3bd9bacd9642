#include "engine/playback/StereoRing.h"

#include <algorithm>
#include <bit>

namespace vl::engine {

StereoRing::StereoRing(std::size_t minFrames)
    : data_(std::bit_ceil(std::max<std::size_t>(minFrames, 2)) * 2, 0.0f),
      mask_(std::bit_ceil(std::max<std::size_t>(minFrames, 2)) - 1) {}

std::size_t StereoRing::writable() const {
    return capacity() - (written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire));
}

std::size_t StereoRing::readable() const {
    return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed);
}

std::size_t StereoRing::write(const float* interleaved, std::size_t frames) {
    const std::size_t w = written_.load(std::memory_order_relaxed);
    frames = std::min(frames, writable());
    for (std::size_t done = 0; done < frames;) {
        const std::size_t at = (w + done) & mask_;
        const std::size_t run = std::min(frames - done, capacity() - at);
        std::copy_n(interleaved + done * 2, run * 2, data_.data() + at * 2);
        done += run;
    }
    written_.store(w + frames, std::memory_order_release);
    return frames;
}

std::size_t StereoRing::readPlanar(float* left, float* right, std::size_t frames) {
    const std::size_t r = read_.load(std::memory_order_relaxed);
    frames = std::min(frames, readable());
    const float* d = data_.data();
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t at = ((r + i) & mask_) * 2;
        left[i] = d[at];
        right[i] = d[at + 1];
    }
    read_.store(r + frames, std::memory_order_release);
    return frames;
}

std::size_t StereoRing::skip(std::size_t frames) {
    frames = std::min(frames, readable());
    read_.store(read_.load(std::memory_order_relaxed) + frames, std::memory_order_release);
    return frames;
}

} // namespace vl::engine
