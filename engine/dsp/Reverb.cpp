#include "engine/dsp/Reverb.h"

#include "engine/dsp/Biquad.h"
#include "engine/dsp/Dsp.h"
#include "engine/dsp/Vec4.h"
#include "engine/dsp/VectorClones.h"

#include <numbers>

namespace vl::engine::dsp {

namespace {

constexpr std::array<std::size_t, Reverb::kDiffusers> kDiffuseL = {149, 211, 293, 367};
constexpr std::array<std::size_t, Reverb::kDiffusers> kDiffuseR = {157, 227, 307, 379};
constexpr float kDiffuseGain = 0.6f;
constexpr std::array<float, Reverb::kLines> kLineLengths = {1117, 1327, 1543, 1777, 1997, 2243, 2503, 2767};
constexpr std::array<float, Reverb::kLines> kLfoHz = {0.31f, 0.43f, 0.53f, 0.67f, 0.79f, 0.89f, 0.97f, 1.09f};
constexpr float kModDepth = 6.0f; // samples either side at 44.1 kHz
// Samples a modulated read may reach beyond the line's nominal delay, either side:
// the depth, the rounding of the delay and the interpolation's outer neighbours.
int readMarginFor(float depth) {
    return static_cast<int>(depth) + 3;
}
constexpr int kMaxReadMargin = static_cast<int>(kModDepth * kMaxSampleRate / kSampleRate) + 3;
constexpr float kInject = 0.5f;
// Scales the network's output so a 0 dB mix sounds about as loud as the dry signal.
constexpr float kOutput = 0.7f;
// The Hadamard mix is left unnormalised; its 1 / sqrt(8) rides on the line gains.
constexpr float kMixNorm = 0.35355339f;

// Every other line runs unmodulated: a plain copy, half the cost, and still enough
// moving lines to keep the tail from ringing.
constexpr bool modulated(int line) {
    return line % 2 == 0;
}

bool isPrime(std::size_t n) {
    if (n < 2) return false;
    for (std::size_t d = 2; d * d <= n; ++d)
        if (n % d == 0) return false;
    return true;
}

// The delays above are primes at 44.1 kHz. At another rate each keeps its time, moved up
// to the next prime so that no two lines share a factor and their echoes never pile up.
std::size_t atRate(double samples, double rate) {
    auto n = static_cast<std::size_t>(std::lround(samples * rate / kSampleRate));
    while (!isPrime(n))
        ++n;
    return n;
}

float modDepthAt(double rate) {
    return static_cast<float>(kModDepth * rate / kSampleRate);
}

std::size_t memoryNeeded(double rate) {
    std::size_t total = 0;
    for (auto d : kDiffuseL)
        total += DelayLine::sizeFor(atRate(static_cast<double>(d), rate));
    for (auto d : kDiffuseR)
        total += DelayLine::sizeFor(atRate(static_cast<double>(d), rate));
    const auto margin = static_cast<std::size_t>(readMarginFor(modDepthAt(rate)));
    for (auto d : kLineLengths)
        total += DelayLine::sizeFor(atRate(d, rate) + margin + 1);
    return total;
}

} // namespace

VL_VECTOR_CLONES void Reverb::Allpass::process(float* x, int n) {
    // Stretches no longer than the delay, so every sample read was written before.
    const auto whole = static_cast<std::size_t>(n);
    for (std::size_t start = 0; start < whole; start += delay) {
        line.feed(delay, std::min(delay, whole - start),
                  [&](const float* delayed, float* fresh, std::size_t offset, std::size_t span) {
                      float* in = x + start + offset;
                      for (std::size_t j = 0; j < span; ++j) {
                          const float d = delayed[j];
                          const float f = in[j] + kDiffuseGain * d;
                          in[j] = d - kDiffuseGain * f;
                          fresh[j] = f;
                      }
                  });
    }
}

Reverb::Reverb(double sampleRate)
    : rate_(effectRate(sampleRate)), modDepth_(modDepthAt(rate_)), readMargin_(readMarginFor(modDepth_)),
      memory_(memoryNeeded(rate_)) {
    const auto diffuser = [&](Allpass& a, std::size_t samples) {
        a.delay = atRate(static_cast<double>(samples), rate_);
        a.line = DelayLine(memory_, DelayLine::sizeFor(a.delay));
    };
    for (int i = 0; i < kDiffusers; ++i) {
        diffuser(diffuseL_[i], kDiffuseL[i]);
        diffuser(diffuseR_[i], kDiffuseR[i]);
    }
    for (int i = 0; i < kLines; ++i) {
        const std::size_t length = atRate(kLineLengths[i], rate_);
        lineLength_[i] = static_cast<float>(length);
        lines_[i] =
            DelayLine(memory_, DelayLine::sizeFor(length + static_cast<std::size_t>(readMargin_) + 1));
        // The line's own delay minus the one sample the feedback path adds.
        lineDelay_[i] = lineLength_[i] - 1.0f;
        lfoStep_[i] = 2.0 * std::numbers::pi * kLfoHz[i] / rate_;
        lfoPhase_[i] = 2.0 * std::numbers::pi * i / kLines;
        delay_[i] = modulated(i) ? lineDelay_[i] + modDepth_ * static_cast<float>(std::cos(lfoPhase_[i]))
                                 : lineDelay_[i];
    }
    updateDecay();
}

void Reverb::updateDecay() {
    const double time = timeMs_ / 1000.0;
    const double hfTime = std::clamp(time * hfRatio_, std::min(kMinHfTimeMs / 1000.0, time), time);
    for (int i = 0; i < kLines; ++i) {
        const double seconds = lineLength_[i] / rate_;
        // Decay per pass in dB at low and at high frequencies.
        const double lowDb = -60.0 * seconds / time;
        const double highDb = -60.0 * seconds / hfTime;
        const BiquadCoefficients c = highShelfCoefficients(kShelfHz, highDb - lowDb, rate_);
        // The shelf still dips a little at the reference; the line gain makes up for it.
        const double gain = std::pow(10.0, lowDb / 20.0) / biquadMagnitude(c, kReferenceHz, rate_);
        b0_[i] = static_cast<float>(c.b0 * gain * kMixNorm);
        b1_[i] = static_cast<float>(c.b1 * gain * kMixNorm);
        b2_[i] = static_cast<float>(c.b2 * gain * kMixNorm);
        a1_[i] = static_cast<float>(c.a1);
        a2_[i] = static_cast<float>(c.a2);
    }
}

void Reverb::setParams(const ReverbParams& p) {
    if (!std::isnan(p.inputGainDb)) input_.set(dbToGain(std::clamp(p.inputGainDb, kSilenceDb, 0.0f)));
    if (!std::isnan(p.mixDb)) wet_.set(kOutput * dbToGain(std::clamp(p.mixDb, kSilenceDb, 0.0f)));
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
    x1_ = x2_ = y1_ = y2_ = {};
    input_.restart();
    wet_.restart();
}

bool Reverb::clearSome(std::size_t budget) {
    return memory_.clearSome(budget);
}

void Reverb::process(float* left, float* right, int n) {
    if (n <= 0) return;
    float input = input_.start();
    float wet = wet_.start();
    const float inputStep = input_.stepOver(n);
    const float wetStep = wet_.stepOver(n);
    const bool silentWet = wet == 0.0f && wet_.target() == 0.0f;
    // The slow modulators move little within a block: each line's delay glides
    // linearly from its value at the block's start to the one at its end.
    for (int i = 0; i < kLines; ++i) {
        if (!modulated(i)) continue;
        lfoPhase_[i] = std::fmod(lfoPhase_[i] + lfoStep_[i] * n, 2.0 * std::numbers::pi);
        const float end = lineDelay_[i] + modDepth_ * static_cast<float>(std::cos(lfoPhase_[i]));
        delayStep_[i] = (end - delay_[i]) / static_cast<float>(n);
    }
    for (int start = 0; start < n; start += kChunk) {
        const int m = std::min(kChunk, n - start);
        processChunk(left + start, right + start, m, input, inputStep, wet, wetStep, silentWet);
    }
    input_.finish();
    wet_.finish();
}

VL_VECTOR_CLONES void Reverb::readModulated(int i, int n, float* out) {
    // The read position glides so slowly that its whole part changes at most once
    // or twice per chunk: between such changes the four neighbours of every output
    // are consecutive samples, and the loop runs on plain slices of a copied window.
    const auto nominal = static_cast<int>(lineDelay_[i]);
    const int margin = readMargin_;
    const int oldestAgo = nominal + margin;
    float window[kChunk + 2 * kMaxReadMargin];
    lines_[i].copyRecent(static_cast<std::size_t>(oldestAgo), static_cast<std::size_t>(n + 2 * margin - 1),
                         window);
    const float first = delay_[i];
    const float step = delayStep_[i];
    int k = 0;
    while (k < n) {
        // The delay at output j is first + step * j; its sample of the newer side
        // lies `whole` writes before the chunk's start, minus j.
        const int whole = std::clamp(static_cast<int>(first + step * static_cast<float>(k)),
                                     nominal - margin + 2, nominal + margin - 2);
        int end = n;
        if (step != 0.0f) {
            const float crossing = step > 0.0f ? std::ceil((static_cast<float>(whole + 1) - first) / step)
                                               : std::floor((static_cast<float>(whole) - first) / step) + 1.0f;
            if (crossing < static_cast<float>(n)) end = std::max(k + 1, static_cast<int>(crossing));
        }
        const float* w = window + (oldestAgo - whole);
        const auto wholeF = static_cast<float>(whole);
        for (int j = k; j < end; ++j) {
            const float t = first + step * static_cast<float>(j) - wholeF;
            // Catmull-Rom through the newer neighbour y0, the sample y1 and the older y2, y3.
            const float y0 = w[j + 1], y1 = w[j], y2 = w[j - 1], y3 = w[j - 2];
            const float c1 = 0.5f * (y2 - y0);
            const float c2 = y0 - 2.5f * y1 + 2.0f * y2 - 0.5f * y3;
            const float c3 = 0.5f * (y3 - y0) + 1.5f * (y1 - y2);
            out[j] = ((c3 * t + c2) * t + c1) * t + y1;
        }
        k = end;
    }
    delay_[i] = first + step * static_cast<float>(n);
}

namespace {

// One sample through a line's gain and high shelf (direct form I).
template <typename T>
[[gnu::always_inline]] inline T shelve(T x, T b0, T b1, T b2, T a1, T a2, T& x1, T& x2, T& y1, T& y2) {
    // y2 is known a sample early: only a1 * y1 waits for the last output.
    const T early = b0 * x + b1 * x1 + b2 * x2 - a2 * y2;
    const T y = early - a1 * y1;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

// The lines' feedback mix, a fast Walsh-Hadamard transform (orthogonal once scaled by
// 1 / sqrt(8)), plus the diffused input fed into every line with alternating sign.
// The wet output is tapped from the lines before the mix.
template <typename T> [[gnu::always_inline]] inline void mixLines(T (&a)[Reverb::kLines], T inL, T inR, T& wetL, T& wetR) {
    wetL = a[0] - a[2] + a[4] - a[6];
    wetR = a[1] - a[3] + a[5] - a[7];
    const T b0 = a[0] + a[1], b1 = a[0] - a[1], b2 = a[2] + a[3], b3 = a[2] - a[3];
    const T b4 = a[4] + a[5], b5 = a[4] - a[5], b6 = a[6] + a[7], b7 = a[6] - a[7];
    const T c0 = b0 + b2, c1 = b1 + b3, c2 = b0 - b2, c3 = b1 - b3;
    const T c4 = b4 + b6, c5 = b5 + b7, c6 = b4 - b6, c7 = b5 - b7;
    const T l = kInject * inL;
    const T r = kInject * inR;
    a[0] = c0 + c4 + l;
    a[1] = c1 + c5 + r;
    a[2] = c2 + c6 - l;
    a[3] = c3 + c7 - r;
    a[4] = c0 - c4 + l;
    a[5] = c1 - c5 + r;
    a[6] = c2 - c6 - l;
    a[7] = c3 - c7 - r;
}

} // namespace

VL_VECTOR_CLONES void Reverb::filterAndMix(LineBlock& v, const float* inL, const float* inR, float* wetL, float* wetR, int n) {
    // The shelves recur along time but are independent across lines: four samples of
    // four lines are turned so each register holds one sample of four lines. The mix
    // runs in the same pass and fills the time the recursion waits.
    Vec4 b0[2], b1[2], b2[2], a1[2], a2[2], x1[2], x2[2], y1[2], y2[2];
    for (int h = 0; h < 2; ++h) {
        b0[h] = load4(&b0_[4 * h]);
        b1[h] = load4(&b1_[4 * h]);
        b2[h] = load4(&b2_[4 * h]);
        a1[h] = load4(&a1_[4 * h]);
        a2[h] = load4(&a2_[4 * h]);
        x1[h] = load4(&x1_[4 * h]);
        x2[h] = load4(&x2_[4 * h]);
        y1[h] = load4(&y1_[4 * h]);
        y2[h] = load4(&y2_[4 * h]);
    }
    int j = 0;
    for (; j + 4 <= n; j += 4) {
        Vec4 s[kLines];
        for (int i = 0; i < kLines; ++i)
            s[i] = load4(v[i] + j);
        transpose4(s[0], s[1], s[2], s[3]);
        transpose4(s[4], s[5], s[6], s[7]);
        for (int q = 0; q < 4; ++q) {
            for (int h = 0; h < 2; ++h) {
                s[4 * h + q] = shelve(s[4 * h + q], b0[h], b1[h], b2[h], a1[h], a2[h], x1[h], x2[h], y1[h], y2[h]);
            }
        }
        transpose4(s[0], s[1], s[2], s[3]);
        transpose4(s[4], s[5], s[6], s[7]);
        Vec4 outL, outR;
        mixLines(s, load4(inL + j), load4(inR + j), outL, outR);
        store4(wetL + j, outL);
        store4(wetR + j, outR);
        for (int i = 0; i < kLines; ++i)
            store4(v[i] + j, s[i]);
    }
    for (int h = 0; h < 2; ++h) {
        store4(&x1_[4 * h], x1[h]);
        store4(&x2_[4 * h], x2[h]);
        store4(&y1_[4 * h], y1[h]);
        store4(&y2_[4 * h], y2[h]);
    }
    for (; j < n; ++j) {
        float s[kLines];
        for (int i = 0; i < kLines; ++i)
            s[i] = shelve(v[i][j], b0_[i], b1_[i], b2_[i], a1_[i], a2_[i], x1_[i], x2_[i], y1_[i], y2_[i]);
        mixLines(s, inL[j], inR[j], wetL[j], wetR[j]);
        for (int i = 0; i < kLines; ++i)
            v[i][j] = s[i];
    }
}

VL_VECTOR_CLONES void Reverb::processChunk(float* left, float* right, int n, float& input, float inputStep, float& wet,
                          float wetStep, bool silentWet) {
    // Ramps run on local copies: through the references the compiler would have to
    // assume the blocks alias them, and could not vectorise.
    float inL[kChunk];
    float inR[kChunk];
    const float inputStart = input;
    for (int j = 0; j < n; ++j) {
        const float gain = inputStart + inputStep * static_cast<float>(j + 1);
        inL[j] = left[j] * gain;
        inR[j] = right[j] * gain;
    }
    input = inputStart + inputStep * static_cast<float>(n);
    for (int k = 0; k < kDiffusers; ++k) {
        diffuseL_[k].process(inL, n);
        diffuseR_[k].process(inR, n);
    }

    LineBlock v;
    for (int i = 0; i < kLines; ++i) {
        if (modulated(i))
            readModulated(i, n, v[i]);
        else
            lines_[i].copyRecent(static_cast<std::size_t>(lineDelay_[i]), static_cast<std::size_t>(n), v[i]);
    }
    float wetL[kChunk];
    float wetR[kChunk];
    filterAndMix(v, inL, inR, wetL, wetR, n);
    for (int i = 0; i < kLines; ++i)
        lines_[i].writeBlock(v[i], static_cast<std::size_t>(n));

    const float wetStart = wet;
    wet = wetStart + wetStep * static_cast<float>(n);
    if (silentWet) return;
    constexpr float kWetScale = 1.0f / kMixNorm;
    for (int j = 0; j < n; ++j) {
        const float gain = kWetScale * (wetStart + wetStep * static_cast<float>(j + 1));
        left[j] += gain * wetL[j];
        right[j] += gain * wetR[j];
    }
}

} // namespace vl::engine::dsp
