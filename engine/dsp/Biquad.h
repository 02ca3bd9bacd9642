#pragma once
// Second-order peaking filter (the audio EQ cookbook design), direct form I in
// double precision: its state is the plain input and output history, so a filter
// with new coefficients can take over an old filter's state without a jump.

namespace vl::engine::dsp {

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

} // namespace vl::engine::dsp
