#include "engine/devices/RtAudioDevice.h"

#include "engine/AudioFormat.h"

#include <rtaudio/RtAudio.h>

#include <algorithm>

namespace vl::engine {

RtAudioDevice::RtAudioDevice(int api, unsigned deviceId) : api_(api), deviceId_(deviceId) {}

RtAudioDevice::~RtAudioDevice() {
    close();
}

bool RtAudioDevice::open(AudioSource& source) {
    close();
    try {
        audio_ = std::make_unique<RtAudio>(static_cast<RtAudio::Api>(api_));
        audio_->showWarnings(false);
        const RtAudio::DeviceInfo info = audio_->getDeviceInfo(deviceId_);
        if (!info.probed || info.outputChannels == 0) {
            audio_.reset();
            return false;
        }
        channels_ = std::min<unsigned>(info.outputChannels, kOutputChannels);
        RtAudio::StreamParameters params;
        params.deviceId = deviceId_;
        params.nChannels = channels_;
        RtAudio::StreamOptions options;
        options.flags = RTAUDIO_NONINTERLEAVED | RTAUDIO_SCHEDULE_REALTIME;
        options.numberOfBuffers = 2;
        options.streamName = "Vellamorinth";
        periodFrames_ = kPeriodFrames;
        source_ = &source;
        audio_->openStream(&params, nullptr, RTAUDIO_FLOAT32, kSampleRate, &periodFrames_,
                           &RtAudioDevice::callback, this, &options);
        // The device may settle on another period than the one asked for.
        unheard_.assign(static_cast<std::size_t>(std::max(periodFrames_, 1u)) * kOutputChannels, 0.0f);
        audio_->startStream();
        return true;
    } catch (const RtAudioError&) {
        audio_.reset();
        source_ = nullptr;
        return false;
    }
}

void RtAudioDevice::close() {
    if (!audio_) return;
    try {
        if (audio_->isStreamRunning()) audio_->stopStream();
        if (audio_->isStreamOpen()) audio_->closeStream();
    } catch (const RtAudioError&) {
    }
    audio_.reset();
    source_ = nullptr;
}

int RtAudioDevice::callback(void* out, void*, unsigned frames, double, unsigned, void* self) {
    auto* d = static_cast<RtAudioDevice*>(self);
    auto* buffer = static_cast<float*>(out);
    float* channels[kOutputChannels];
    const bool fits = frames * kOutputChannels <= d->unheard_.size();
    for (unsigned c = 0; c < kOutputChannels; ++c) {
        if (c < d->channels_)
            channels[c] = buffer + c * frames;
        else
            channels[c] = fits ? d->unheard_.data() + c * frames : nullptr;
    }
    if (!fits) {
        // A period longer than agreed: silence rather than a write past the spare channels.
        std::fill(buffer, buffer + frames * d->channels_, 0.0f);
        return 0;
    }
    d->source_->render_RT(channels, static_cast<int>(frames));
    return 0;
}

} // namespace vl::engine
