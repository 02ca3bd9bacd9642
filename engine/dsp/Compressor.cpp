#include "engine/dsp/Compressor.h"

#include "engine/dsp/Dsp.h"

namespace vl::engine::dsp {

namespace {

float smoothingCoeff(double ms) {
    return static_cast<float>(std::exp(-1000.0 / (ms * kSampleRate)));
}

// Below this the reduction is inaudible and is dropped, so a released compressor
// returns to exact unity gain.
constexpr float kSettledDb = 1e-4f;
constexpr float kDbPerOctave = 6.0205999f; // 20 log10(2)

} // namespace

void Compressor::setParams(const CompressorParams& p) {
    const auto pick = [](float v, float lo, float hi, float fallback) {
        return std::isnan(v) ? fallback : std::clamp(v, lo, hi);
    };
    thresholdDb_ = pick(p.thresholdDb, -60.0f, 0.0f, thresholdDb_);
    thresholdGain_ = std::pow(10.0f, thresholdDb_ / 20.0f);
    const float ratio = pick(p.ratio, 1.0f, 100.0f, 1.0f);
    slope_ = 1.0f - 1.0f / ratio;
    attackCoeff_ = smoothingCoeff(pick(p.attackMs, 0.01f, 500.0f, 0.01f));
    releaseCoeff_ = smoothingCoeff(pick(p.releaseMs, 10.0f, 1000.0f, 400.0f));
    makeupDb_ = pick(p.gainDb, -60.0f, 60.0f, makeupDb_);
    makeupTarget_ = std::pow(10.0f, makeupDb_ / 20.0f);
}

void Compressor::reset() {
    peak_ = reduction_ = 0.0f;
    primed_ = false;
}

bool Compressor::transparent() const {
    return slope_ == 0.0f && reduction_ == 0.0f && makeup_ == 1.0f && makeupTarget_ == 1.0f;
}

void Compressor::process(float* left, float* right, int n) {
    if (!primed_) {
        makeup_ = makeupTarget_;
        primed_ = true;
    }
    if (transparent() || n <= 0) return;
    const float makeupStep = (makeupTarget_ - makeup_) / static_cast<float>(n);
    float makeup = makeup_;
    for (int i = 0; i < n; ++i) {
        const float level = std::max(std::fabs(left[i]), std::fabs(right[i]));
        float over = 0.0f;
        if (slope_ > 0.0f && level > thresholdGain_)
            over = (kDbPerOctave * fastLog2(level) - thresholdDb_) * slope_;
        peak_ = std::max(over, releaseCoeff_ * peak_ + (1.0f - releaseCoeff_) * over);
        reduction_ = attackCoeff_ * reduction_ + (1.0f - attackCoeff_) * peak_;
        if (over == 0.0f && peak_ < kSettledDb && reduction_ < kSettledDb) reduction_ = peak_ = 0.0f;
        makeup += makeupStep;
        const float gain = reduction_ == 0.0f ? makeup : makeup * fastExp2(-reduction_ / kDbPerOctave);
        left[i] *= gain;
        right[i] *= gain;
    }
    makeup_ = makeupTarget_;
}

} // namespace vl::engine::dsp
