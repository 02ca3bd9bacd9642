#include "engine/dsp/Biquad.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace vl::engine::dsp {

BiquadCoefficients peakingCoefficients(double centreHz, double bandwidthOctaves, double gainDb,
                                       double sampleRate) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * centreHz / sampleRate;
    const double sinW0 = std::sin(w0);
    const double cosW0 = std::cos(w0);
    // The bandwidth term is pre-warped so the band keeps its width near Nyquist.
    const double alpha = sinW0 * std::sinh(std::numbers::ln2 / 2.0 * bandwidthOctaves * w0 / sinW0);
    const double a0 = 1.0 + alpha / a;
    BiquadCoefficients c;
    c.b0 = (1.0 + alpha * a) / a0;
    c.b1 = (-2.0 * cosW0) / a0;
    c.b2 = (1.0 - alpha * a) / a0;
    c.a1 = c.b1;
    c.a2 = (1.0 - alpha / a) / a0;
    return c;
}

BiquadCoefficients highShelfCoefficients(double cornerHz, double gainDb, double sampleRate) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * cornerHz / sampleRate;
    const double cosW0 = std::cos(w0);
    const double twoSqrtAAlpha = 2.0 * std::sqrt(a) * std::sin(w0) / std::numbers::sqrt2;
    const double a0 = (a + 1.0) - (a - 1.0) * cosW0 + twoSqrtAAlpha;
    BiquadCoefficients c;
    c.b0 = a * ((a + 1.0) + (a - 1.0) * cosW0 + twoSqrtAAlpha) / a0;
    c.b1 = -2.0 * a * ((a - 1.0) + (a + 1.0) * cosW0) / a0;
    c.b2 = a * ((a + 1.0) + (a - 1.0) * cosW0 - twoSqrtAAlpha) / a0;
    c.a1 = 2.0 * ((a - 1.0) - (a + 1.0) * cosW0) / a0;
    c.a2 = ((a + 1.0) - (a - 1.0) * cosW0 - twoSqrtAAlpha) / a0;
    return c;
}

double biquadMagnitude(const BiquadCoefficients& c, double hz, double sampleRate) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2));
}

} // namespace vl::engine::dsp
