#pragma once
// Single-producer single-consumer ring of interleaved stereo float frames. The decoding
// thread writes, the audio thread reads; neither ever waits for the other.

#include <atomic>
#include <cstddef>
#include <vector>

namespace vl::engine {

class StereoRing {
public:
    // Capacity is rounded up to a power of two frames. Allocates: construct off the audio thread.
    explicit StereoRing(std::size_t minFrames);

    std::size_t capacity() const { return mask_ + 1; }
    // Producer side.
    std::size_t writable() const;
    std::size_t write(const float* interleaved, std::size_t frames);
    // Consumer side.
    std::size_t readable() const;
    std::size_t readPlanar(float* left, float* right, std::size_t frames);
    std::size_t skip(std::size_t frames);

private:
    std::vector<float> data_;
    std::size_t mask_;
    alignas(64) std::atomic<std::size_t> written_{0}; // frames ever written
    alignas(64) std::atomic<std::size_t> read_{0};    // frames ever read
};

} // namespace vl::engine
