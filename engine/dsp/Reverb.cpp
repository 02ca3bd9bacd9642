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
    for (auto d : kDiffuseL)
        total += DelayLine::sizeFor(d);
    for (auto d : kDiffuseR)
        total += DelayLine::sizeFor(d);
    for (auto d : kLineLengths)
        total += DelayLine::sizeFor(static_cast<std::size_t>(d + kModDepth + 3));
    return total;
}

// Orthogonal 8-point Hadamard mix (fast Walsh-Hadamard transform) of n samples of
// every line at once.
template <int kChunk> void hadamard(float (&v)[Reverb::kLines][kChunk], int n) {
    for (int half = 1; half < Reverb::kLines; half <<= 1) {
        for (int i = 0; i < Reverb::kLines; i += half << 1) {
            for (int k = i; k < i + half; ++k) {
                float* a = v[k];
                float* b = v[k + half];
                for (int j = 0; j < n; ++j) {
                    const float x = a[j];
                    const float y = b[j];
                    a[j] = x + y;
                    b[j] = x - y;
                }
            }
        }
    }
    constexpr float kNorm = 0.35355339f; // 1 / sqrt(8)
    for (auto& line : v)
        for (int j = 0; j < n; ++j)
            line[j] *= kNorm;
}

} // namespace

void Reverb::Allpass::process(float* x, int n) {
    float delayed[kChunk];
    float fed[kChunk];
    line.copyRecent(delay, static_cast<std::size_t>(n), delayed);
    for (int j = 0; j < n; ++j) {
        fed[j] = x[j] + kDiffuseGain * delayed[j];
        x[j] = delayed[j] - kDiffuseGain * fed[j];
    }
    line.writeBlock(fed, static_cast<std::size_t>(n));
}

Reverb::Reverb() : memory_(memoryNeeded()) {
    for (int i = 0; i < kDiffusers; ++i) {
        diffuseL_[i].line = DelayLine(memory_, DelayLine::sizeFor(kDiffuseL[i]));
        diffuseL_[i].delay = kDiffuseL[i];
        diffuseR_[i].line = DelayLine(memory_, DelayLine::sizeFor(kDiffuseR[i]));
        diffuseR_[i].delay = kDiffuseR[i];
    }
    for (int i = 0; i < kLines; ++i) {
        lines_[i] =
            DelayLine(memory_, DelayLine::sizeFor(static_cast<std::size_t>(kLineLengths[i] + kModDepth + 3)));
        // The line's own delay minus the one sample the feedback path adds.
        lineDelay_[i] = kLineLengths[i] - 1.0f;
        lfoStep_[i] = 2.0 * std::numbers::pi * kLfoHz[i] / kSampleRate;
        lfoPhase_[i] = 2.0 * std::numbers::pi * i / kLines;
        delay_[i] = lineDelay_[i] + kModDepth * static_cast<float>(std::cos(lfoPhase_[i]));
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
        b0_[i] = static_cast<float>(c.b0 * gain);
        b1_[i] = static_cast<float>(c.b1 * gain);
        b2_[i] = static_cast<float>(c.b2 * gain);
        a1_[i] = static_cast<float>(c.a1);
        a2_[i] = static_cast<float>(c.a2);
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
    for (auto& a : diffuseL_)
        a.line.resetPosition();
    for (auto& a : diffuseR_)
        a.line.resetPosition();
    for (auto& l : lines_)
        l.resetPosition();
    s1_ = {};
    s2_ = {};
    primed_ = false;
}

bool Reverb::clearSome(std::size_t budget) {
    return memory_.clearSome(budget);
}

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
    // The slow modulators move little within a block: each line's delay glides
    // linearly from its value at the block's start to the one at its end.
    for (int i = 0; i < kLines; ++i) {
        lfoPhase_[i] = std::fmod(lfoPhase_[i] + lfoStep_[i] * n, 2.0 * std::numbers::pi);
        const float end = lineDelay_[i] + kModDepth * static_cast<float>(std::cos(lfoPhase_[i]));
        delayStep_[i] = (end - delay_[i]) / static_cast<float>(n);
    }
    for (int start = 0; start < n; start += kChunk) {
        const int m = std::min(kChunk, n - start);
        processChunk(left + start, right + start, m, input, inputStep, wet, wetStep, silentWet);
    }
    input_ = inputTarget_;
    wet_ = wetTarget_;
}

void Reverb::processChunk(float* left, float* right, int n, float& input, float inputStep, float& wet,
                          float wetStep, bool silentWet) {
    float inL[kChunk];
    float inR[kChunk];
    for (int j = 0; j < n; ++j) {
        input += inputStep;
        inL[j] = left[j] * input;
        inR[j] = right[j] * input;
    }
    for (int k = 0; k < kDiffusers; ++k) {
        diffuseL_[k].process(inL, n);
        diffuseR_[k].process(inR, n);
    }

    // Line outputs, read between samples at the gliding delay.
    float v[kLines][kChunk];
    float window[kChunk + 12];
    for (int i = 0; i < kLines; ++i) {
        const float first = delay_[i];
        const float last = first + delayStep_[i] * static_cast<float>(n - 1) - static_cast<float>(n - 1);
        const auto oldest = static_cast<std::size_t>(static_cast<int>(first)) + 1;
        const auto newest = static_cast<std::size_t>(static_cast<int>(last));
        if (i % 2 == 1) {
            // Every other line runs unmodulated: a plain copy, half the cost, and still
            // enough moving lines to keep the tail from ringing.
            lines_[i].copyRecent(static_cast<std::size_t>(lineDelay_[i]), static_cast<std::size_t>(n), v[i]);
            continue;
        }
        // One sample more on either side for the cubic interpolation.
        lines_[i].copyRecent(oldest + 1, oldest - newest + 3, window);
        const float slope = delayStep_[i] - 1.0f;
        for (int j = 0; j < n; ++j) {
            const float ago = first + static_cast<float>(j) * slope;
            const int whole = static_cast<int>(ago);
            const float t = ago - static_cast<float>(whole);
            const float* w = window + (static_cast<int>(oldest) + 1 - whole);
            // Catmull-Rom through the newer neighbour w[1], the sample w[0] and the older w[-1], w[-2].
            const float y0 = w[1], y1 = w[0], y2 = w[-1], y3 = w[-2];
            const float c1 = 0.5f * (y2 - y0);
            const float c2 = y0 - 2.5f * y1 + 2.0f * y2 - 0.5f * y3;
            const float c3 = 0.5f * (y3 - y0) + 1.5f * (y1 - y2);
            v[i][j] = ((c3 * t + c2) * t + c1) * t + y1;
        }
        delay_[i] = first + delayStep_[i] * static_cast<float>(n);
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < kLines; ++i) {
            const float x = v[i][j];
            const float y = b0_[i] * x + s1_[i];
            s1_[i] = b1_[i] * x - a1_[i] * y + s2_[i];
            s2_[i] = b2_[i] * x - a2_[i] * y;
            v[i][j] = y;
        }
    }
    float wetL[kChunk];
    float wetR[kChunk];
    for (int j = 0; j < n; ++j) {
        wetL[j] = v[0][j] - v[2][j] + v[4][j] - v[6][j];
        wetR[j] = v[1][j] - v[3][j] + v[5][j] - v[7][j];
    }
    hadamard(v, n);
    for (int i = 0; i < kLines; ++i) {
        const float sign = (i & 2) ? -kInject : kInject;
        const float* in = (i & 1) ? inR : inL;
        for (int j = 0; j < n; ++j)
            v[i][j] += sign * in[j];
        lines_[i].writeBlock(v[i], static_cast<std::size_t>(n));
    }
    if (silentWet) return;
    for (int j = 0; j < n; ++j) {
        wet += wetStep;
        left[j] += wet * wetL[j];
        right[j] += wet * wetR[j];
    }
}

} // namespace vl::engine::dsp
