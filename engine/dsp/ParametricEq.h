#pragma once
// Three peaking bands of the track equaliser. A band at 0 dB is bypassed, so a
// flat equaliser leaves the samples bit for bit untouched. A gain change runs the
// old and the new filter side by side and crossfades their outputs, so a moving
// EQ knob never clicks. Audio thread only, apart from construction.

#include "engine/dsp/Biquad.h"
#include "engine/dsp/SampleRate.h"

#include <array>

namespace vl::engine::dsp {

struct EqParams {
    float lowDb = 0.0f;
    float midDb = 0.0f;
    float highDb = 0.0f;

    bool operator==(const EqParams&) const = default;
};

class EqBand {
  public:
    EqBand(double centreHz, double bandwidthSemitones, double sampleRate = kSampleRate);

    // Clamped to -15..+15 dB; takes effect through a crossfade.
    void setGainDb(float db);
    float gainDb() const { return gainDb_; }
    void process(float* left, float* right, int n);
    void reset();

    // Starts the crossfade to a gain asked for, unless one is running.
    void prepare();
    bool fading() const { return fadePos_ >= 0; }
    // Without a fade running: the filter and its history, for a caller that runs
    // several bands in one pass.
    bool bypassed() const { return gainDb_ == 0.0f && !fading(); }
    const BiquadCoefficients& coefficients() const { return current_; }
    std::array<BiquadState, 2>& history() { return state_; }

    static constexpr int kFadeLength = 512;
    static constexpr float kMaxGainDb = 15.0f;

  private:
    void startFade();

    double centreHz_;
    double octaves_;
    double rate_;
    float gainDb_ = 0.0f;    // the gain being faded to or running
    float pendingDb_ = 0.0f; // the gain asked for
    int fadePos_ = -1;       // -1: no fade running
    BiquadCoefficients current_{};
    BiquadCoefficients next_{};
    std::array<BiquadState, 2> state_{};
    std::array<BiquadState, 2> nextState_{};
};

class ParametricEq {
  public:
    explicit ParametricEq(double sampleRate = kSampleRate);
    void setParams(const EqParams& params);
    // Band order of the chain: low, mid, high.
    void process(float* left, float* right, int n);
    void reset();

    static constexpr double kLowHz = 80.0, kLowSemitones = 20.0;
    static constexpr double kMidHz = 450.0, kMidSemitones = 15.0;
    static constexpr double kHighHz = 10000.0, kHighSemitones = 15.0;

  private:
    EqBand low_;
    EqBand mid_;
    EqBand high_;
};

} // namespace vl::engine::dsp
