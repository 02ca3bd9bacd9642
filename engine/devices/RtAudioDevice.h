#pragma once
// An ALSA or PulseAudio output device through RtAudio: one stream of up to eight float
// channels. Pairs beyond the device's channel count are rendered and not heard.

#include "engine/devices/OutputDevice.h"

#include <memory>
#include <vector>

class RtAudio;

namespace vl::engine {

class RtAudioDevice final : public OutputDevice {
public:
    static constexpr unsigned kPeriodFrames = 512; // at most 1,024 frames: decoding runs ahead

    RtAudioDevice(int api, unsigned deviceId);
    ~RtAudioDevice() override;
    bool open(AudioSource& source) override;
    void close() override;
    DeviceKind kind() const override { return DeviceKind::Ordinary; }

private:
    static int callback(void* out, void* in, unsigned frames, double time, unsigned status, void* self);

    int api_;
    unsigned deviceId_;
    unsigned channels_ = 0;
    unsigned periodFrames_ = 0;
    std::unique_ptr<RtAudio> audio_;
    std::vector<float> unheard_; // channels the device does not have
    AudioSource* source_ = nullptr;
};

} // namespace vl::engine
