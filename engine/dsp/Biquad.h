#pragma once
// Second-order peaking filter (the audio EQ cookbook design), direct form I in
// double precision: its state is the plain input and output history, so a filter
// with new coefficients can take over an old filter's state without a jump.

#include "engine/dsp/Vec4.h"

#include <array>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vl::engine::dsp {

typedef double Double2 __attribute__((vector_size(16)));

struct BiquadCoefficients {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

// Peak of gainDb at centreHz; bandwidth in octaves between the half-gain points.
BiquadCoefficients peakingCoefficients(double centreHz, double bandwidthOctaves, double gainDb,
                                       double sampleRate);

// Shelf with unit gain at DC and gainDb towards Nyquist (shelf slope 1).
BiquadCoefficients highShelfCoefficients(double cornerHz, double gainDb, double sampleRate);

// Magnitude of the filter's response at hz.
double biquadMagnitude(const BiquadCoefficients& c, double hz, double sampleRate);

struct BiquadState {
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

    double process(const BiquadCoefficients& c, double x) {
        const double y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    // History of a stretch that passed through unfiltered.
    void passThrough(const float* block, int n) {
        if (n >= 2) {
            x2 = y2 = block[n - 2];
            x1 = y1 = block[n - 1];
        } else if (n == 1) {
            x2 = x1;
            y2 = y1;
            x1 = y1 = block[0];
        }
    }
};

// Coefficients for StereoBiquad, each in both lanes.
struct StereoBiquadCoefficients {
    Double2 b0, b1, b2, a1, a2;

    StereoBiquadCoefficients() = default;
    explicit StereoBiquadCoefficients(const BiquadCoefficients& c)
        : b0{c.b0, c.b0}, b1{c.b1, c.b1}, b2{c.b2, c.b2}, a1{c.a1, c.a1}, a2{c.a2, c.a2} {}
};

// The same filter on left and right at once, one channel per lane, with the
// arithmetic of BiquadState lane by lane. It keeps only the output history: the
// caller keeps the input history, which is not part of the recursion.
struct StereoBiquad {
    Double2 y1, y2;

    Double2 process(const StereoBiquadCoefficients& c, Double2 x, Double2 x1, Double2 x2) {
        const Double2 y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// Both lanes rounded to float, in the low two lanes, and back: what storing them
// as samples between two stages does. Kept in vector registers; the generic
// conversions may route through an integer register.
inline Vec4 narrowed(Double2 v) {
#ifdef __SSE2__
    return _mm_cvtpd_ps(v);
#else
    return Vec4{static_cast<float>(v[0]), static_cast<float>(v[1]), 0.0f, 0.0f};
#endif
}
inline Double2 widened(Vec4 v) {
#ifdef __SSE2__
    return _mm_cvtps_pd(v);
#else
    return Double2{v[0], v[1]};
#endif
}

} // namespace vl::engine::dsp
