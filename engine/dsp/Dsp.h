#pragma once
// Shared constants and small helpers of the track effects. Everything here is
// safe on the audio thread.

#include <algorithm>
#include <cmath>

namespace vl::engine::dsp {

inline constexpr double kSampleRate = 44100.0;

// Gains at or below this many dB are silence.
inline constexpr float kSilenceDb = -96.0f;

inline float dbToGain(float db) { return db <= kSilenceDb ? 0.0f : std::pow(10.0f, db / 20.0f); }

inline int msToSamples(double ms) { return static_cast<int>(std::lround(ms * kSampleRate / 1000.0)); }

// A gain that moves linearly from its last value to a new target over one block,
// so that a step in a level never clicks.
class GainRamp {
public:
    explicit GainRamp(float initial = 1.0f) : current_(initial), target_(initial) {}
    void setTarget(float target) { target_ = target; }
    void jumpTo(float value) { current_ = target_ = value; }
    bool settled() const { return current_ == target_; }
    float current() const { return current_; }
    float target() const { return target_; }
    // Step per sample for a block of n samples; call finish() after the block.
    float step(int n) const { return n > 0 ? (target_ - current_) / static_cast<float>(n) : 0.0f; }
    void finish() { current_ = target_; }

private:
    float current_;
    float target_;
};

} // namespace vl::engine::dsp
