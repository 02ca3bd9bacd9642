#pragma once
// Feed-forward stereo-linked compressor: a peak level in dB feeds a hard-knee gain
// computer, and the gain reduction is smoothed with separate attack and release
// times (smooth decoupled peak detector), then make-up gain is applied. Ratio 1
// with make-up 0 dB leaves the samples bit for bit untouched. Audio thread only,
// apart from construction.

#include "engine/dsp/Ramp.h"
#include "engine/dsp/SampleRate.h"

namespace vl::engine::dsp {

struct CompressorParams {
    float gainDb = 0.0f;      // make-up, -60..60
    float attackMs = 0.01f;   // 0.01..500
    float releaseMs = 400.0f; // 10..1000
    float thresholdDb = 0.0f; // -60..0
    float ratio = 1.0f;       // 1..100
    float predelayMs = 0.0f;  // look-ahead is not offered: only 0 is used

    bool operator==(const CompressorParams&) const = default;
};

class Compressor {
  public:
    explicit Compressor(double sampleRate = kSampleRate);
    void setParams(const CompressorParams& params);
    void process(float* left, float* right, int n);
    void reset();

    // Current gain reduction in dB (positive), for tests and meters.
    float reductionDb() const { return reduction_; }

  private:
    bool transparent(float makeup) const;

    double rate_;

    float thresholdDb_ = 0.0f;
    float thresholdGain_ = 1.0f;
    float slope_ = 0.0f; // 1 - 1/ratio
    float attackCoeff_ = 0.0f;
    float releaseCoeff_ = 0.0f;
    float makeupDb_ = 0.0f;
    Ramp makeup_{1.0f};      // linear make-up
    float peak_ = 0.0f;      // release stage of the detector, dB of reduction
    float reduction_ = 0.0f; // smoothed gain reduction, dB
};

} // namespace vl::engine::dsp
