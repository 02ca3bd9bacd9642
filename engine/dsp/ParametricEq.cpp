#include "engine/dsp/ParametricEq.h"

#include "engine/dsp/Dsp.h"

namespace vl::engine::dsp {

EqBand::EqBand(double centreHz, double bandwidthSemitones)
    : centreHz_(centreHz), octaves_(bandwidthSemitones / 12.0) {}

void EqBand::setGainDb(float db) {
    if (std::isnan(db)) return; // keeps the previous gain
    pendingDb_ = std::clamp(db, -kMaxGainDb, kMaxGainDb);
}

void EqBand::reset() {
    gainDb_ = pendingDb_ = 0.0f;
    fadePos_ = -1;
    current_ = next_ = BiquadCoefficients{};
    state_ = nextState_ = {};
}

void EqBand::startFade() {
    gainDb_ = pendingDb_;
    next_ = gainDb_ == 0.0f ? BiquadCoefficients{}
                            : peakingCoefficients(centreHz_, octaves_, gainDb_, kSampleRate);
    nextState_ = state_;
    fadePos_ = 0;
}

void EqBand::process(float* left, float* right, int n) {
    if (fadePos_ < 0 && pendingDb_ != gainDb_) startFade();
    int i = 0;
    if (fadePos_ >= 0) {
        for (; i < n && fadePos_ < kFadeLength; ++i, ++fadePos_) {
            const double t = (fadePos_ + 1) / static_cast<double>(kFadeLength);
            const double oldL = state_[0].process(current_, left[i]);
            const double oldR = state_[1].process(current_, right[i]);
            const double newL = nextState_[0].process(next_, left[i]);
            const double newR = nextState_[1].process(next_, right[i]);
            left[i] = static_cast<float>(oldL + t * (newL - oldL));
            right[i] = static_cast<float>(oldR + t * (newR - oldR));
        }
        if (fadePos_ >= kFadeLength) {
            fadePos_ = -1;
            current_ = next_;
            state_ = nextState_;
        }
    }
    if (i == n) return;
    if (gainDb_ == 0.0f && fadePos_ < 0) {
        state_[0].passThrough(left + i, n - i);
        state_[1].passThrough(right + i, n - i);
        return;
    }
    for (; i < n; ++i) {
        left[i] = static_cast<float>(state_[0].process(current_, left[i]));
        right[i] = static_cast<float>(state_[1].process(current_, right[i]));
    }
}

ParametricEq::ParametricEq()
    : low_(kLowHz, kLowSemitones), mid_(kMidHz, kMidSemitones), high_(kHighHz, kHighSemitones) {}

void ParametricEq::setParams(const EqParams& params) {
    low_.setGainDb(params.lowDb);
    mid_.setGainDb(params.midDb);
    high_.setGainDb(params.highDb);
}

void ParametricEq::process(float* left, float* right, int n) {
    low_.process(left, right, n);
    mid_.process(left, right, n);
    high_.process(left, right, n);
}

void ParametricEq::reset() {
    low_.reset();
    mid_.reset();
    high_.reset();
}

} // namespace vl::engine::dsp
