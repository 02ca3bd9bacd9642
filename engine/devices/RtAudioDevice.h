#pragma once
// An ALSA or PulseAudio output device through RtAudio: one stream of up to eight float
// channels. Pairs beyond the device's channel count are rendered and not heard.

#include "engine/devices/OutputDevice.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class RtAudio;

namespace vl::engine {

struct StreamErrors;

class RtAudioDevice final : public OutputDevice {
public:
    static constexpr unsigned kPeriodFrames = 512; // at most 1,024 frames: decoding runs ahead
    static constexpr unsigned kMaxPeriodFrames = 8192;

    // `name` as RtAudio lists it: an interface plugged in again may come back under another
    // number, so opening looks the name up again.
    RtAudioDevice(int api, unsigned deviceId, std::string name = {});
    ~RtAudioDevice() override;
    bool open(AudioSource& source) override;
    void close() override;
    DeviceKind kind() const override { return DeviceKind::Ordinary; }
    bool canBeLost() const override { return true; }
    bool lost() const override { return lost_.load(std::memory_order_acquire); }

private:
    friend struct StreamErrors;
    static int callback(void* out, void* in, unsigned frames, double time, unsigned status, void* self);
    bool findDevice(unsigned& id, unsigned& outputChannels) const;

    int api_;
    unsigned deviceId_;
    std::string name_;
    unsigned channels_ = 0;
    unsigned periodFrames_ = 0;
    std::unique_ptr<RtAudio> audio_;
    // The eight channels of a period before the device's are interleaved into its buffer
    // (RtAudio 5.2 loses its own conversion buffer of every PulseAudio stream it closes).
    std::vector<float> planar_;
    AudioSource* source_ = nullptr;
    std::atomic<std::thread::id> streamThread_{};
    std::atomic<bool> lost_{false};
};

} // namespace vl::engine
