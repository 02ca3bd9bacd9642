#include "engine/devices/NoSoundDevice.h"

#include "engine/AudioFormat.h"

#include <chrono>

namespace vl::engine {

bool NoSoundDevice::open(AudioSource& source) {
    close();
    buffer_.assign(static_cast<std::size_t>(kBlockFrames) * kOutputChannels, 0.0f);
    frames_.store(0, std::memory_order_relaxed);
    running_.store(true, std::memory_order_release);
    thread_ = std::thread([this, &source] { run(source); });
    return true;
}

void NoSoundDevice::close() {
    running_.store(false, std::memory_order_release);
    if (thread_.joinable()) thread_.join();
}

void NoSoundDevice::run(AudioSource& source) {
    float* channels[kOutputChannels];
    for (int c = 0; c < kOutputChannels; ++c)
        channels[c] = buffer_.data() + c * kBlockFrames;
    // Deadlines come from the frame count, not from the previous wake-up, so sleep
    // jitter never accumulates into drift.
    const auto start = std::chrono::steady_clock::now();
    uint64_t done = 0;
    while (running_.load(std::memory_order_acquire)) {
        source.render_RT(channels, kBlockFrames);
        done += kBlockFrames;
        frames_.store(done, std::memory_order_relaxed);
        const auto due = start + std::chrono::nanoseconds(done * 1'000'000'000ull / kSampleRate);
        std::this_thread::sleep_until(due);
    }
}

} // namespace vl::engine
