#pragma once
// Stereo reverb: each input side passes a chain of allpass diffusers into an
// eight-line feedback delay network mixed by a Hadamard matrix. The line lengths
// are spread primes, slowly modulated so the tail stays smooth instead of ringing.
// Every line carries a gain and a second-order high shelf set from the reverb time and the
// high-frequency ratio, so the tail decays at the set time (exactly so at 500 Hz)
// and faster above the shelf. Audio thread only, apart from construction.

#include "engine/dsp/DelayMemory.h"
#include "engine/dsp/Ramp.h"
#include "engine/dsp/SampleRate.h"

#include <array>
#include <cstddef>

namespace vl::engine::dsp {

struct ReverbParams {
    float inputGainDb = 0.0f; // -96..0
    float mixDb = 0.0f;       // level of the reverb added to the dry signal; -96 = none
    float timeMs = 1000.0f;   // 1000..6000, decay by 60 dB
    float hfRatio = 0.001f;   // high-frequency decay time relative to timeMs, 0.001..0.999

    bool operator==(const ReverbParams&) const = default;
};

class Reverb {
  public:
    explicit Reverb(double sampleRate = kSampleRate);
    void setParams(const ReverbParams& params);
    void process(float* left, float* right, int n);
    void startClearing();
    bool clearSome(std::size_t budget);

    static constexpr int kLines = 8;
    static constexpr int kDiffusers = 4;
    static constexpr float kMinTimeMs = 1000.0f;
    static constexpr float kMaxTimeMs = 6000.0f;
    // The high shelf's corner, and the shortest high-frequency decay it is asked for:
    // below that the tail would sound dull rather than damped.
    static constexpr double kShelfHz = 4000.0;
    static constexpr double kMinHfTimeMs = 300.0;
    // The frequency at which the decay time is exactly the set time.
    static constexpr double kReferenceHz = 500.0;

  private:
    struct Allpass {
        DelayLine line;
        std::size_t delay = 0;
        void process(float* x, int n);
    };
    // The network runs in chunks shorter than its shortest line, so every sample a
    // chunk reads was written before it (at the lowest rate the shortest is 563).
    static constexpr int kChunk = 256;
    using Lanes = std::array<float, kLines>;
    using LineBlock = float[kLines][kChunk];

    void updateDecay();
    void processChunk(float* left, float* right, int n, float& input, float inputStep, float& wet,
                      float wetStep, bool silentWet);
    void readModulated(int line, int n, float* out);
    void filterAndMix(LineBlock& v, const float* inL, const float* inR, float* wetL, float* wetR, int n);

    double rate_;
    float modDepth_; // samples either side
    int readMargin_; // samples a modulated read may reach past a line's nominal delay
    DelayMemory memory_;
    std::array<Allpass, kDiffusers> diffuseL_{};
    std::array<Allpass, kDiffusers> diffuseR_{};
    std::array<DelayLine, kLines> lines_{};
    std::array<float, kLines> lineLength_{};
    std::array<float, kLines> lineDelay_{};
    // Loop gain and high shelf of every line (direct form I), kept as arrays across
    // the lines so the lines are filtered side by side.
    alignas(16) Lanes b0_{}, b1_{}, b2_{}, a1_{}, a2_{};
    alignas(16) Lanes x1_{}, x2_{}, y1_{}, y2_{};
    std::array<double, kLines> lfoPhase_{};
    std::array<double, kLines> lfoStep_{}; // radians per sample
    Lanes delay_{};                        // current delay of each line, gliding with its modulator
    Lanes delayStep_{};                    // per sample, over the current block
    float timeMs_ = 1000.0f;
    float hfRatio_ = 0.001f;
    Ramp input_{1.0f};
    Ramp wet_{1.0f};
};

} // namespace vl::engine::dsp
