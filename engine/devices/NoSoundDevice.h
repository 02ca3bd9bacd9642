#pragma once
// The "No sound" device: a thread of the engine that consumes blocks at real-time pace, so
// that positions advance as they would on a sound card.

#include "engine/devices/OutputDevice.h"

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace vl::engine {

class NoSoundDevice final : public OutputDevice {
public:
    static constexpr int kBlockFrames = 512;

    ~NoSoundDevice() override { close(); }
    bool open(AudioSource& source) override;
    void close() override;
    DeviceKind kind() const override { return DeviceKind::NoSound; }

    // Any thread: frames handed to the source so far.
    uint64_t framesConsumed() const { return frames_.load(std::memory_order_relaxed); }

private:
    void run(AudioSource& source);

    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<uint64_t> frames_{0};
    std::vector<float> buffer_;
};

} // namespace vl::engine
