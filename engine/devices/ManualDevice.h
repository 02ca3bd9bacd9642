#pragma once
// A device for tests and benchmarks: blocks are rendered only when asked, as fast as the
// caller wants.

#include "engine/devices/OutputDevice.h"

#include <atomic>

namespace vl::engine {

class ManualDevice final : public OutputDevice {
public:
    explicit ManualDevice(int rate = kSampleRate) : rate_(rate) {}
    bool open(AudioSource& source) override {
        source_.store(&source, std::memory_order_release);
        return true;
    }
    void close() override { source_.store(nullptr, std::memory_order_release); }
    DeviceKind kind() const override { return DeviceKind::Manual; }
    int sampleRate() const override { return rate_; }

    // Caller's thread acts as the audio thread. Silence when closed.
    void render(float* const* channels, int frames);

private:
    const int rate_;
    std::atomic<AudioSource*> source_{nullptr};
};

} // namespace vl::engine
