#include "engine/dsp/EffectBus.h"

#include <algorithm>

namespace vl::engine::dsp {

namespace {

// Values arrive from song files as they were read: each is brought into the range its
// effect takes before any arithmetic, so no value can overflow on the way.
constexpr int kMaxReverbStep = 10;   // 6000 ms, the reverb's longest
constexpr int kMinFeedbackStep = -1; // 0 %
constexpr int kMaxFeedbackStep = 19; // 100 %

} // namespace

TrackEffectSettings EffectBus::freshSettings() {
    TrackEffectSettings s;
    s.compressor = CompressorParams{}; // ratio 1, threshold 0 dB: transparent
    s.reverb = freshReverb();
    s.echo = freshEcho();
    return s;
}

ReverbParams EffectBus::freshReverb() {
    return ReverbParams{0.0f, 0.0f, 1000.0f, 0.001f};
}

EchoParams EffectBus::freshEcho() {
    return EchoParams{50.0f, 50.0f, 500.0f, 500.0f, false};
}

void EffectBus::attach(const Effects& effects) {
    effects_ = effects;
    effects_[0] = nullptr;
    for (int t = 1; t <= kTracks; ++t) {
        if (!effects_[t]) continue;
        settings_[t] = freshSettings();
        sendEffects(t, static_cast<int16_t>(sends_[t].reverb), static_cast<int16_t>(sends_[t].delay));
    }
    setBusReverb(kPlayReverbStep);
    setBusDelay(kPlayDelayMs, kPlayFeedbackStep);
}

void EffectBus::detach() {
    effects_ = {};
}

const TrackEffectSettings* EffectBus::settings(int track) const {
    return valid(track) && effects_[track] ? &settings_[track] : nullptr;
}

void EffectBus::push(int track) {
    effects_[track]->apply(settings_[track]);
}

void EffectBus::setEq(int track, float lowDb, float midDb, float highDb) {
    if (!valid(track) || !effects_[track]) return;
    settings_[track].eq = EqParams{lowDb, midDb, highDb};
    push(track);
}

void EffectBus::setCompressor(int track, int ratio, int thresholdDb, int releaseMs, int gainDb) {
    if (!valid(track) || !effects_[track]) return;
    CompressorParams& c = settings_[track].compressor;
    c.gainDb = static_cast<float>(gainDb);
    c.attackMs = 0.01f;
    c.releaseMs = static_cast<float>(releaseMs);
    c.thresholdDb = static_cast<float>(thresholdDb);
    c.ratio = static_cast<float>(ratio);
    c.predelayMs = 0.0f;
    push(track);
}

void EffectBus::sendEffects(int track, int16_t reverbSend, int16_t delaySend) {
    if (!valid(track)) return;
    sends_[track] = Sends{reverbSend, delaySend};
    if (!effects_[track]) return;
    TrackEffectSettings& s = settings_[track];
    // A newly made effect starts from its defaults; the send reaches it at the next bus call.
    if (reverbSend != 0 && !s.reverbOn) s.reverb = freshReverb();
    if (delaySend != 0 && !s.echoOn) s.echo = freshEcho();
    s.reverbOn = reverbSend != 0;
    s.echoOn = delaySend != 0;
    push(track);
}

void EffectBus::setBusReverb(int timeStep) {
    timeStep = std::clamp(timeStep, 0, kMaxReverbStep);
    for (int t = 1; t <= kTracks; ++t) {
        if (!effects_[t] || !settings_[t].reverbOn) continue;
        ReverbParams& r = settings_[t].reverb;
        const double send = static_cast<uint32_t>(sends_[t].reverb);
        r.inputGainDb = 0.0f;
        r.mixDb = static_cast<float>(send * 0.01 * reverbLevel_ - 96.0);
        r.timeMs = static_cast<float>(timeStep * 500 + 1000);
        r.hfRatio = 0.001f;
        push(t);
    }
}

void EffectBus::setBusDelay(int delayMs, int feedbackStep) {
    delayMs = std::clamp(delayMs, 0, static_cast<int>(Echo::kMaxDelayMs));
    feedbackStep = std::clamp(feedbackStep, kMinFeedbackStep, kMaxFeedbackStep);
    for (int t = 1; t <= kTracks; ++t) {
        if (!effects_[t] || !settings_[t].echoOn) continue;
        EchoParams& e = settings_[t].echo;
        const double send = static_cast<uint32_t>(sends_[t].delay);
        e.wetDryPercent = static_cast<float>(send * 0.005 * delayLevel_);
        e.feedbackPercent = static_cast<float>(feedbackStep * 5 + 5);
        e.leftMs = e.rightMs = static_cast<float>(delayMs);
        e.panDelay = true;
        push(t);
    }
}

void EffectBus::setBusLevels(int16_t reverbLevel, int16_t delayLevel) {
    reverbLevel_ = reverbLevel;
    delayLevel_ = delayLevel;
}

} // namespace vl::engine::dsp
