#include "engine/dsp/Compressor.h"

#include "engine/dsp/Dsp.h"
#include "engine/dsp/VectorClones.h"

#include <limits>

namespace vl::engine::dsp {

namespace {

float smoothingCoeff(double ms, double rate) {
    return static_cast<float>(std::exp(-1000.0 / (ms * rate)));
}

// Below this the reduction is inaudible and is dropped, so a released compressor
// returns to exact unity gain.
constexpr float kSettledDb = 1e-4f;
constexpr float kDbPerOctave = 6.0205999f; // 20 log10(2)

// Exact make-up gain while nothing is reduced.
template <typename F> F gainFor(F reductionDb, float makeup) {
    return lanes::select(reductionDb == 0.0f, F{} + makeup, makeup * fastExp2(-reductionDb / kDbPerOctave));
}

// The peak detector with release, then the attack smoothing: the recursive part,
// in dB of gain reduction.
struct Detector {
    float release, releaseIn, attack, attackIn;
    float peak, smoothed;

    float next(float over) {
        peak = std::max(over, release * peak + releaseIn * over);
        smoothed = attack * smoothed + attackIn * peak;
        // Branch first on the test whose outcome rarely changes: the level's own
        // test flips from sample to sample and would be mispredicted.
        if (smoothed < kSettledDb) [[unlikely]] {
            if (over == 0.0f && peak < kSettledDb) smoothed = peak = 0.0f;
        }
        return smoothed;
    }
};

} // namespace

Compressor::Compressor(double sampleRate) : rate_(effectRate(sampleRate)) {}

void Compressor::setParams(const CompressorParams& p) {
    const auto pick = [](float v, float lo, float hi, float fallback) {
        return std::isnan(v) ? fallback : std::clamp(v, lo, hi);
    };
    thresholdDb_ = pick(p.thresholdDb, -60.0f, 0.0f, thresholdDb_);
    thresholdGain_ = std::pow(10.0f, thresholdDb_ / 20.0f);
    const float ratio = pick(p.ratio, 1.0f, 100.0f, 1.0f);
    slope_ = 1.0f - 1.0f / ratio;
    attackCoeff_ = smoothingCoeff(pick(p.attackMs, 0.01f, 500.0f, 0.01f), rate_);
    releaseCoeff_ = smoothingCoeff(pick(p.releaseMs, 10.0f, 1000.0f, 400.0f), rate_);
    makeupDb_ = pick(p.gainDb, -60.0f, 60.0f, makeupDb_);
    makeup_.set(std::pow(10.0f, makeupDb_ / 20.0f));
}

void Compressor::reset() {
    peak_ = reduction_ = 0.0f;
    makeup_.restart();
}

bool Compressor::transparent(float makeup) const {
    return slope_ == 0.0f && reduction_ == 0.0f && makeup == 1.0f && makeup_.target() == 1.0f;
}

VL_VECTOR_CLONES void Compressor::process(float* left, float* right, int n) {
    float makeup = makeup_.start();
    if (transparent(makeup) || n <= 0) return;
    const float makeupStep = makeup_.stepOver(n);
    // Locals, so the stores to the samples need not be assumed to change them.
    const float gate = slope_ > 0.0f ? thresholdGain_ : std::numeric_limits<float>::infinity();
    const float thresholdDb = thresholdDb_;
    const float slope = slope_;
    Detector detector{releaseCoeff_, 1.0f - releaseCoeff_, attackCoeff_, 1.0f - attackCoeff_, peak_,
                      reduction_};
    const auto overDb = [&](auto lane, int i) {
        using F = decltype(lane);
        const F level =
            lanes::max(lanes::abs(lanes::load(lane, left + i)), lanes::abs(lanes::load(lane, right + i)));
        const F dbOver = (kDbPerOctave * fastLog2(level) - thresholdDb) * slope;
        return lanes::select(level > gate, dbOver, F{});
    };
    const auto apply = [&](auto gain, int i) {
        lanes::store(left + i, lanes::load(gain, left + i) * gain);
        lanes::store(right + i, lanes::load(gain, right + i) * gain);
    };
    int i = 0;
    if (makeupStep == 0.0f) {
        // Only the detector is recursive. The level before it and the gain after it
        // go four samples at a time, two groups ahead of it and two behind, so that
        // they never wait for its serial chain and run while it does.
        const int groups = n / 4;
        float over[16], reduction[16]; // four groups each, by group number & 3
        const auto levelOf = [&](int g) { lanes::store(over + (g & 3) * 4, overDb(Vec4{}, 4 * g)); };
        const auto gainOf = [&](int g) {
            apply(gainFor(lanes::load(Vec4{}, reduction + (g & 3) * 4), makeup), 4 * g);
        };
        for (int g = 0; g < std::min(2, groups); ++g)
            levelOf(g);
        for (int g = 0; g < groups; ++g) {
            if (g + 2 < groups) levelOf(g + 2);
            for (int k = (g & 3) * 4; k < (g & 3) * 4 + 4; ++k)
                reduction[k] = detector.next(over[k]);
            if (g >= 2) gainOf(g - 2);
        }
        for (int g = std::max(0, groups - 2); g < groups; ++g)
            gainOf(g);
        i = 4 * groups;
    }
    for (; i < n; ++i) {
        makeup += makeupStep;
        apply(gainFor(detector.next(overDb(0.0f, i)), makeup), i);
    }
    peak_ = detector.peak;
    reduction_ = detector.smoothed;
    makeup_.finish();
}

} // namespace vl::engine::dsp
