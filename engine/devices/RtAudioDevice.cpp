#include "engine/devices/RtAudioDevice.h"

#include "engine/AudioFormat.h"
#include "engine/devices/PulseServer.h"

#include <rtaudio/RtAudio.h>

#include <algorithm>
#include <array>

namespace vl::engine {

// RtAudio reports a failed write to one error function without saying which stream failed;
// the failing stream's own thread tells. A server that quit or a device that is gone fails
// every write; an underrun ALSA recovered from is no loss.
struct StreamErrors {
    static inline std::array<std::atomic<RtAudioDevice*>, 4> open{};

    static void add(RtAudioDevice* d) {
        for (auto& slot : open) {
            RtAudioDevice* none = nullptr;
            if (slot.compare_exchange_strong(none, d)) return;
        }
    }
    static void remove(RtAudioDevice* d) {
        for (auto& slot : open) {
            RtAudioDevice* self = d;
            slot.compare_exchange_strong(self, nullptr);
        }
    }
    static void report(RtAudioError::Type, const std::string& text) {
        if (text.ends_with("underrun.")) return;
        const std::thread::id thread = std::this_thread::get_id();
        for (auto& slot : open) {
            RtAudioDevice* d = slot.load(std::memory_order_acquire);
            if (d && d->streamThread_.load(std::memory_order_relaxed) == thread)
                d->lost_.store(true, std::memory_order_release);
        }
    }
};

RtAudioDevice::RtAudioDevice(int api, unsigned deviceId, std::string name)
    : api_(api), deviceId_(deviceId), name_(std::move(name)) {}

RtAudioDevice::~RtAudioDevice() {
    close();
}

bool RtAudioDevice::findDevice(unsigned& id, unsigned& outputChannels) const {
    auto matches = [&](unsigned i) {
        try {
            const RtAudio::DeviceInfo info = audio_->getDeviceInfo(i);
            if (!info.probed || info.outputChannels == 0 || (!name_.empty() && info.name != name_)) return false;
            id = i;
            outputChannels = info.outputChannels;
            return true;
        } catch (const RtAudioError&) {
            return false;
        }
    };
    if (matches(deviceId_)) return true;
    if (name_.empty()) return false;
    const unsigned n = audio_->getDeviceCount();
    for (unsigned i = 0; i < n; ++i)
        if (i != deviceId_ && matches(i)) return true;
    return false;
}

bool RtAudioDevice::open(AudioSource& source) {
    close();
    if (api_ == RtAudio::LINUX_PULSE && !pulseServerHasDefaults()) return false;
    try {
        audio_ = std::make_unique<RtAudio>(static_cast<RtAudio::Api>(api_));
        audio_->showWarnings(false);
        unsigned id = 0, outputChannels = 0;
        if (!findDevice(id, outputChannels)) {
            close();
            return false;
        }
        channels_ = std::min<unsigned>(outputChannels, kOutputChannels);
        RtAudio::StreamParameters params;
        params.deviceId = id;
        params.nChannels = channels_;
        RtAudio::StreamOptions options;
        options.flags = RTAUDIO_SCHEDULE_REALTIME;
        options.numberOfBuffers = 2;
        options.streamName = "Vellamorinth";
        periodFrames_ = kPeriodFrames;
        // Sized before the stream exists: some backends call back from inside openStream's
        // thread before open() returns, so the buffer is never resized under the callback.
        planar_.assign(static_cast<std::size_t>(kMaxPeriodFrames) * kOutputChannels, 0.0f);
        source_ = &source;
        lost_.store(false, std::memory_order_release);
        streamThread_.store(std::thread::id{}, std::memory_order_relaxed);
        StreamErrors::add(this);
        // With an error function RtAudio reports a failed open instead of throwing.
        audio_->openStream(&params, nullptr, RTAUDIO_FLOAT32, kSampleRate, &periodFrames_,
                           &RtAudioDevice::callback, this, &options, &StreamErrors::report);
        if (!audio_->isStreamOpen()) {
            close();
            return false;
        }
        // The device may settle on another period than the one asked for; one too long to
        // render is refused rather than played as silence.
        if (periodFrames_ > kMaxPeriodFrames) {
            close();
            return false;
        }
        audio_->startStream();
        if (audio_->isStreamRunning()) return true;
    } catch (const RtAudioError&) {
    }
    close();
    return false;
}

void RtAudioDevice::close() {
    if (audio_) {
        try {
            if (audio_->isStreamRunning()) audio_->stopStream();
            if (audio_->isStreamOpen()) audio_->closeStream();
        } catch (const RtAudioError&) {
        }
        audio_.reset(); // joins the stream's thread
    }
    StreamErrors::remove(this);
    source_ = nullptr;
}

int RtAudioDevice::callback(void* out, void*, unsigned frames, double, unsigned, void* self) {
    auto* d = static_cast<RtAudioDevice*>(self);
    d->streamThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    auto* buffer = static_cast<float*>(out);
    // A dead stream calls back without pause until it is closed: the song must not run ahead.
    if (d->lost_.load(std::memory_order_relaxed)) {
        std::fill(buffer, buffer + frames * d->channels_, 0.0f);
        return 0;
    }
    if (frames * kOutputChannels > d->planar_.size()) {
        // A period longer than agreed: silence rather than a write past the buffer.
        std::fill(buffer, buffer + frames * d->channels_, 0.0f);
        return 0;
    }
    float* channels[kOutputChannels];
    for (unsigned c = 0; c < kOutputChannels; ++c)
        channels[c] = d->planar_.data() + c * frames;
    d->source_->render_RT(channels, static_cast<int>(frames));
    for (unsigned i = 0; i < frames; ++i)
        for (unsigned c = 0; c < d->channels_; ++c)
            buffer[i * d->channels_ + c] = channels[c][i];
    return 0;
}

} // namespace vl::engine
