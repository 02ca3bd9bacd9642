#include "engine/dsp/Reverb.h"

#include "engine/dsp/Biquad.h"
#include "engine/dsp/Dsp.h"

#include <numbers>

namespace vl::engine::dsp {

namespace {

constexpr std::array<std::size_t, Reverb::kDiffusers> kDiffuseL = {149, 211, 293, 367};
constexpr std::array<std::size_t, Reverb::kDiffusers> kDiffuseR = {157, 227, 307, 379};
constexpr float kDiffuseGain = 0.6f;
constexpr std::array<float, Reverb::kLines> kLineLengths = {1117, 1327, 1543, 1777, 1997, 2243, 2503, 2767};
constexpr std::array<float, Reverb::kLines> kLfoHz = {0.31f, 0.43f, 0.53f, 0.67f, 0.79f, 0.89f, 0.97f, 1.09f};
constexpr float kModDepth = 6.0f; // samples either side
constexpr float kInject = 0.5f;
// Scales the network's output so a 0 dB mix sounds about as loud as the dry signal.
constexpr float kOutput = 0.7f;

std::size_t memoryNeeded() {
    std::size_t total = 0;
    for (auto d : kDiffuseL) total += DelayLine::sizeFor(d);
    for (auto d : kDiffuseR) total += DelayLine::sizeFor(d);
    for (auto d : kLineLengths) total += DelayLine::sizeFor(static_cast<std::size_t>(d + kModDepth + 3));
    return total;
}

// Orthogonal 8-point Hadamard mix (fast Walsh-Hadamard transform).
void hadamard(std::array<float, Reverb::kLines>& v) {
    for (int half = 1; half < Reverb::kLines; half <<= 1) {
        for (int i = 0; i < Reverb::kLines; i += half << 1) {
            for (int j = i; j < i + half; ++j) {
                const float a = v[j];
                const float b = v[j + half];
                v[j] = a + b;
                v[j + half] = a - b;
            }
        }
    }
    constexpr float kNorm = 0.35355339f; // 1 / sqrt(8)
    for (auto& x : v) x *= kNorm;
}

} // namespace

float Reverb::Allpass::process(float x) {
    const float delayed = line.read(delay);
    const float v = x + kDiffuseGain * delayed;
    line.write(v);
    return delayed - kDiffuseGain * v;
}

Reverb::Reverb() : memory_(memoryNeeded()) {
    for (int i = 0; i < kDiffusers; ++i) {
        diffuseL_[i].line = DelayLine(memory_, DelayLine::sizeFor(kDiffuseL[i]));
        diffuseL_[i].delay = kDiffuseL[i];
        diffuseR_[i].line = DelayLine(memory_, DelayLine::sizeFor(kDiffuseR[i]));
        diffuseR_[i].delay = kDiffuseR[i];
    }
    for (int i = 0; i < kLines; ++i) {
        lines_[i] = DelayLine(memory_, DelayLine::sizeFor(static_cast<std::size_t>(kLineLengths[i] + kModDepth + 3)));
        // The line's own delay minus the one sample the feedback path adds.
        lineDelay_[i] = kLineLengths[i] - 1.0f;
        const double w = 2.0 * std::numbers::pi * kLfoHz[i] / kSampleRate;
        lfoStepCos_[i] = static_cast<float>(std::cos(w));
        lfoStepSin_[i] = static_cast<float>(std::sin(w));
        const double phase = 2.0 * std::numbers::pi * i / kLines;
        lfoCos_[i] = static_cast<float>(std::cos(phase));
        lfoSin_[i] = static_cast<float>(std::sin(phase));
    }
    updateDecay();
}

void Reverb::updateDecay() {
    const double time = timeMs_ / 1000.0;
    const double hfTime = std::clamp(time * hfRatio_, std::min(kMinHfTimeMs / 1000.0, time), time);
    for (int i = 0; i < kLines; ++i) {
        const double seconds = kLineLengths[i] / kSampleRate;
        // Decay per pass in dB at low and at high frequencies.
        const double lowDb = -60.0 * seconds / time;
        const double highDb = -60.0 * seconds / hfTime;
        const BiquadCoefficients c = highShelfCoefficients(kShelfHz, highDb - lowDb, kSampleRate);
        // The shelf still dips a little at the reference; the line gain makes up for it.
        const double gain = std::pow(10.0, lowDb / 20.0) / biquadMagnitude(c, kReferenceHz, kSampleRate);
        shelf_[i].b0 = static_cast<float>(c.b0 * gain);
        shelf_[i].b1 = static_cast<float>(c.b1 * gain);
        shelf_[i].b2 = static_cast<float>(c.b2 * gain);
        shelf_[i].a1 = static_cast<float>(c.a1);
        shelf_[i].a2 = static_cast<float>(c.a2);
    }
}

void Reverb::setParams(const ReverbParams& p) {
    if (!std::isnan(p.inputGainDb)) inputTarget_ = dbToGain(std::clamp(p.inputGainDb, kSilenceDb, 0.0f));
    if (!std::isnan(p.mixDb)) wetTarget_ = kOutput * dbToGain(std::clamp(p.mixDb, kSilenceDb, 0.0f));
    const float time = std::isnan(p.timeMs) ? timeMs_ : std::clamp(p.timeMs, kMinTimeMs, kMaxTimeMs);
    const float ratio = std::isnan(p.hfRatio) ? hfRatio_ : std::clamp(p.hfRatio, 0.001f, 0.999f);
    if (time != timeMs_ || ratio != hfRatio_) {
        timeMs_ = time;
        hfRatio_ = ratio;
        updateDecay();
    }
}

void Reverb::startClearing() {
    memory_.startClearing();
    for (auto& a : diffuseL_) a.line.resetPosition();
    for (auto& a : diffuseR_) a.line.resetPosition();
    for (auto& l : lines_) l.resetPosition();
    for (auto& f : shelf_) f.s1 = f.s2 = 0.0f;
    primed_ = false;
}

bool Reverb::clearSome(std::size_t budget) { return memory_.clearSome(budget); }

void Reverb::process(float* left, float* right, int n) {
    if (n <= 0) return;
    if (!primed_) {
        input_ = inputTarget_;
        wet_ = wetTarget_;
        primed_ = true;
    }
    const float inputStep = (inputTarget_ - input_) / static_cast<float>(n);
    const float wetStep = (wetTarget_ - wet_) / static_cast<float>(n);
    const bool silentWet = wet_ == 0.0f && wetTarget_ == 0.0f;
    float input = input_;
    float wet = wet_;
    std::array<float, kLines> v{};
    for (int s = 0; s < n; ++s) {
        input += inputStep;
        wet += wetStep;
        float inL = left[s] * input;
        float inR = right[s] * input;
        for (int k = 0; k < kDiffusers; ++k) {
            inL = diffuseL_[k].process(inL);
            inR = diffuseR_[k].process(inR);
        }
        for (int i = 0; i < kLines; ++i) {
            const float c = lfoCos_[i];
            lfoCos_[i] = c * lfoStepCos_[i] - lfoSin_[i] * lfoStepSin_[i];
            lfoSin_[i] = lfoSin_[i] * lfoStepCos_[i] + c * lfoStepSin_[i];
            const float out = lines_[i].readCubic(lineDelay_[i] + kModDepth * c);
            v[i] = shelf_[i].process(out);
        }
        const float wetL = v[0] - v[2] + v[4] - v[6];
        const float wetR = v[1] - v[3] + v[5] - v[7];
        hadamard(v);
        for (int i = 0; i < kLines; i += 2) {
            const float sign = (i & 2) ? -kInject : kInject;
            lines_[i].write(v[i] + sign * inL);
            lines_[i + 1].write(v[i + 1] + sign * inR);
        }
        if (!silentWet) {
            left[s] += wet * wetL;
            right[s] += wet * wetR;
        }
    }
    input_ = inputTarget_;
    wet_ = wetTarget_;
    // Keeps the modulators on the unit circle despite rounding.
    for (int i = 0; i < kLines; ++i) {
        const float r = 1.0f / std::sqrt(lfoCos_[i] * lfoCos_[i] + lfoSin_[i] * lfoSin_[i]);
        lfoCos_[i] *= r;
        lfoSin_[i] *= r;
    }
}

} // namespace vl::engine::dsp
