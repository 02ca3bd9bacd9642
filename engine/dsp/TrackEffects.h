#pragma once
// The effects of one audio track in chain order: echo, reverb, compressor, then the
// low, mid and high equaliser bands. Everything is allocated by the constructor;
// the reverb and echo exist all the time and are switched in and out with a short
// crossfade, so creating or removing them never allocates on the audio thread. Sends
// already on when the first block comes are in from its first sample.
//
// Threads: apply() is called from one control thread (the UI thread); process() from
// the audio thread. Settings reach the audio thread through a lock-free triple buffer
// and are taken at the start of each block.

#include "engine/dsp/Compressor.h"
#include "engine/dsp/Echo.h"
#include "engine/dsp/LatestValue.h"
#include "engine/dsp/ParametricEq.h"
#include "engine/dsp/Reverb.h"

#include <cstddef>

namespace vl::engine::dsp {

struct TrackEffectSettings {
    EqParams eq{};
    CompressorParams compressor{};
    ReverbParams reverb{};
    EchoParams echo{};
    bool reverbOn = false;
    bool echoOn = false;

    bool operator==(const TrackEffectSettings&) const = default;
};

class TrackEffects {
  public:
    // At the rate of the device the track plays on.
    explicit TrackEffects(double sampleRate = kSampleRate);
    TrackEffects(const TrackEffects&) = delete;
    TrackEffects& operator=(const TrackEffects&) = delete;

    // Control thread.
    void apply(const TrackEffectSettings& settings) { settings_.write(settings); }

    // Audio thread: processes one stereo block in place.
    void process(float* left, float* right, int n);

    // Audio thread (tests): whether the reverb / echo currently takes part in the sound.
    bool reverbRunning() const { return reverb_.phase != Phase::Off && reverb_.phase != Phase::Clearing; }
    bool echoRunning() const { return echo_.phase != Phase::Off && echo_.phase != Phase::Clearing; }

    // Samples over which a switched reverb or echo fades in or out.
    static constexpr int kSwitchFade = 256;
    // Delay memory cleared per block after an effect was switched off (64 KB: a few
    // microseconds). An effect switched on again meanwhile waits for the wipe: 16 blocks
    // for the echo at 44.1 kHz, 93 ms in blocks of 256.
    static constexpr std::size_t kClearPerBlock = 16384;

  private:
    enum class Phase { Off, FadingIn, On, FadingOut, Clearing };

    template <typename Effect> struct Switched {
        explicit Switched(double sampleRate) : effect(sampleRate) {}
        Effect effect;
        Phase phase = Phase::Off;
        bool resume = false; // fade in once the wipe is done
        float mix = 0.0f;    // 0 = bypassed, 1 = fully in
        void want(bool on);
        void startOn(); // for a track that starts playing with the send already on
        void process(float* left, float* right, int n);
    };

    LatestValue<TrackEffectSettings> settings_;
    TrackEffectSettings current_{};
    bool started_ = false; // a block has been processed
    Switched<Echo> echo_;
    Switched<Reverb> reverb_;
    Compressor compressor_;
    ParametricEq eq_;
};

} // namespace vl::engine::dsp
