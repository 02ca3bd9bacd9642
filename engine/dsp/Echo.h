#pragma once
// Stereo echo with feedback. With pan delay on, the mono sum enters the left line
// and the two lines feed each other, so successive echoes alternate between left
// and right (ping-pong). A delay-time change crossfades from the old read position
// to the new one instead of jumping. Audio thread only, apart from construction.

#include "engine/dsp/DelayMemory.h"
#include "engine/dsp/Ramp.h"
#include "engine/dsp/SampleRate.h"

#include <cstddef>

namespace vl::engine::dsp {

struct EchoParams {
    float wetDryPercent = 50.0f; // 0 dry only .. 100 echo only
    float feedbackPercent = 50.0f;
    float leftMs = 500.0f; // 1..2000; 0 plays as 1 ms
    float rightMs = 500.0f;
    bool panDelay = false;

    bool operator==(const EchoParams&) const = default;
};

class Echo {
  public:
    explicit Echo(double sampleRate = kSampleRate);
    void setParams(const EchoParams& params);
    void process(float* left, float* right, int n);
    // Forgets the echoes in flight; clearing may be spread over several calls.
    void startClearing();
    bool clearSome(std::size_t budget);

    static constexpr float kMinDelayMs = 1.0f;
    static constexpr float kMaxDelayMs = 2000.0f;
    static constexpr int kTimeFade = 1024;

  private:
    struct Tap {
        std::size_t delay = 0;
        std::size_t nextDelay = 0;
        int fadePos = -1;
        void request(std::size_t d);
        float read(const DelayLine& line) const;
        void advance();
    };

    // Settings steady: whole chunks at a time.
    void processSteady(float* left, float* right, int n, float wet, float feedback);
    // A setting moving: sample by sample.
    void processGliding(float* left, float* right, int n, float wet, float wetStep, float feedback,
                        float feedbackStep);

    static constexpr std::size_t kChunk = 256;

    std::size_t delaySamples(float ms, std::size_t fallback) const;

    double rate_;
    std::size_t lineSize_;
    DelayMemory memory_;
    DelayLine lineL_;
    DelayLine lineR_;
    Tap tapL_;
    Tap tapR_;
    std::size_t pendingL_ = 0;
    std::size_t pendingR_ = 0;
    Ramp wet_{0.5f};
    Ramp feedback_{0.5f};
    bool panDelay_ = false;
};

} // namespace vl::engine::dsp
