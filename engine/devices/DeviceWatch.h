#pragma once
// Runs the chosen output device and keeps it running. A thread of its own notices within a
// second when the device stops (its sound server quit, the interface was unplugged) and
// reopens the same device as soon as it answers again; meanwhile the output is silent. The
// audio thread only counts the blocks it asks for.

#include "engine/devices/OutputDevice.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace vl::engine {

// The values of VL_GetDeviceState.
enum class DeviceState : int32_t {
    Fine = 0,        // plays, or nothing that can be lost is chosen
    Lost = 1,        // stopped while open; retried
    Unavailable = 2, // did not open when chosen; retried
};

class DeviceWatch final : public AudioSource {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPollEvery{100};
    // No block for this long after a steady start: the device is taken as lost.
    static constexpr std::chrono::milliseconds kStallAfter{700};
    // Servers buffer a while before they ask steadily; only then can a pause mean a stall.
    static constexpr uint64_t kSteadyBlocks = 16;

    DeviceWatch(AudioSource& source, std::chrono::milliseconds retryEvery);
    ~DeviceWatch() override;
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    // UI thread. Closes the current device and runs `device` (nullptr: none). A device that
    // does not open now is kept and retried; returns whether it opened.
    bool start(std::unique_ptr<OutputDevice> device);
    // UI thread. Closes and drops the device; afterwards the source is no longer called.
    void close();
    // UI thread. True when the device is open; a lost or unavailable one is tried once now.
    bool ensureOpen();

    // Any thread.
    DeviceState state() const { return state_.load(std::memory_order_acquire); }
    // UI thread: the device itself (tests), its kind and rate.
    OutputDevice* device() const { return device_.get(); }
    int sampleRate();

    void render_RT(float* const* channels, int frames) override;

private:
    void run();
    void check(Clock::time_point now);
    void tryOpen(Clock::time_point now);
    void stopThread();

    AudioSource& source_;
    const std::chrono::milliseconds retryEvery_;
    std::atomic<uint64_t> blocks_{0};
    std::atomic<DeviceState> state_{DeviceState::Fine};

    // Guards the device's open and close between the UI thread and the watch thread.
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::unique_ptr<OutputDevice> device_;
    bool open_ = false;
    uint64_t blocksAtOpen_ = 0;
    uint64_t lastBlocks_ = 0;
    Clock::time_point lastBlockSeen_{};
    Clock::time_point lastTry_{};
    std::thread thread_;
};

} // namespace vl::engine
