#pragma once
// Shared constants and small helpers of the track effects. Everything here is
// safe on the audio thread.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace vl::engine::dsp {

inline constexpr double kSampleRate = 44100.0;

// Gains at or below this many dB are silence.
inline constexpr float kSilenceDb = -96.0f;

inline float dbToGain(float db) {
    return db <= kSilenceDb ? 0.0f : std::pow(10.0f, db / 20.0f);
}

inline int msToSamples(double ms) {
    return static_cast<int>(std::lround(ms * kSampleRate / 1000.0));
}

// log2 for positive normal x, within 1e-4: cheap enough for every sample.
inline float fastLog2(float x) {
    const auto bits = std::bit_cast<uint32_t>(x);
    const auto exponent = static_cast<float>(static_cast<int>((bits >> 23) & 0xff) - 127);
    const float m = std::bit_cast<float>((bits & 0x007fffffu) | 0x3f800000u); // 1 <= m < 2
    const float t = (m - 1.0f) / (m + 1.0f);
    const float t2 = t * t;
    return exponent + t * (2.8853901f + t2 * (0.9617967f + t2 * (0.5770780f + t2 * 0.4121985f)));
}

// 2^x for x in -126..127, within 2e-4 relative.
inline float fastExp2(float x) {
    // Floor by conversion: std::floor is a library call on plain x86-64.
    int wholeInt = static_cast<int>(x);
    wholeInt -= static_cast<float>(wholeInt) > x ? 1 : 0;
    const auto whole = static_cast<float>(wholeInt);
    const float f = x - whole;
    const float p =
        1.0f + f * (0.6931472f + f * (0.2402265f + f * (0.0555041f + f * (0.0096181f + f * 0.0013333f))));
    const auto bits = std::bit_cast<uint32_t>(p) + (static_cast<uint32_t>(wholeInt) << 23);
    return std::bit_cast<float>(bits);
}

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
