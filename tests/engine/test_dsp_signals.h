#pragma once
// Test signals and measurements for the track effects.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace vl::engine::dsp::testing {

inline constexpr int kRate = 44100;

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
    explicit Stereo(std::size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    std::size_t size() const { return left.size(); }
};

inline Stereo sine(double hz, double amplitude, std::size_t frames) {
    Stereo s(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * i / kRate));
        s.left[i] = s.right[i] = v;
    }
    return s;
}

inline Stereo noise(std::size_t frames, double amplitude, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(static_cast<float>(-amplitude), static_cast<float>(amplitude));
    Stereo s(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        s.left[i] = d(rng);
        s.right[i] = d(rng);
    }
    return s;
}

// Runs process(left, right, n) over the signal in blocks of the given sizes, cycling.
template <typename Process>
void inBlocks(Stereo& s, Process&& process, const std::vector<int>& sizes = {256}) {
    std::size_t pos = 0;
    std::size_t k = 0;
    while (pos < s.size()) {
        const int n = static_cast<int>(std::min<std::size_t>(sizes[k++ % sizes.size()], s.size() - pos));
        process(s.left.data() + pos, s.right.data() + pos, n);
        pos += static_cast<std::size_t>(n);
    }
}

// An effect's answer to a click on both sides at the first sample.
template <typename Effect, typename Params>
Stereo impulseResponse(const Params& p, std::size_t frames, const std::vector<int>& blocks = {256}) {
    Effect effect;
    effect.setParams(p);
    Stereo s(frames);
    s.left[0] = s.right[0] = 1.0f;
    inBlocks(
        s, [&](float* l, float* r, int n) { effect.process(l, r, n); }, blocks);
    return s;
}

inline double rms(const std::vector<float>& v, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(v[i]) * v[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

inline double db(double ratio) {
    return 20.0 * std::log10(ratio);
}

// Decay time by 60 dB from Schroeder's backward integration of an impulse response,
// fitted by least squares between -5 and -35 dB of the energy decay curve.
inline double schroederRt60(const std::vector<double>& energy, double rate = kRate) {
    std::vector<double> edc(energy.size());
    double sum = 0.0;
    for (std::size_t i = energy.size(); i-- > 0;) {
        sum += energy[i];
        edc[i] = sum;
    }
    const double total = edc[0];
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    int count = 0;
    for (std::size_t i = 0; i < edc.size(); ++i) {
        const double level = 10.0 * std::log10(edc[i] / total);
        if (level > -5.0) continue;
        if (level < -35.0) break;
        const double t = static_cast<double>(i) / rate;
        sx += t;
        sy += level;
        sxx += t * t;
        sxy += t * level;
        ++count;
    }
    if (count < 2) return 0.0;
    const double slope = (count * sxy - sx * sy) / (count * sxx - sx * sx); // dB per second
    return -60.0 / slope;
}

// Second-order band-pass (constant peak gain) to look at one part of the spectrum.
inline std::vector<float> bandPass(const std::vector<float>& x, double hz, double q) {
    const double w0 = 2.0 * std::numbers::pi * hz / kRate;
    const double alpha = std::sin(w0) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    const double b0 = alpha / a0, b2 = -alpha / a0, a1 = -2.0 * std::cos(w0) / a0, a2 = (1.0 - alpha) / a0;
    std::vector<float> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double v = b0 * x[i] + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x[i];
        y2 = y1;
        y1 = v;
        y[i] = static_cast<float>(v);
    }
    return y;
}

} // namespace vl::engine::dsp::testing
