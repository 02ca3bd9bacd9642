#pragma once
// The engine's effect settings: stores every track's sends and the two bus levels
// (they outlive the playback graph) and turns the VL_ effect calls into the
// parameters of each track's effects. UI thread only; the TrackEffects it feeds
// belong to the playback graph and are attached while a graph plays.

#include "engine/dsp/TrackEffects.h"

#include <array>
#include <cstdint>

namespace vl::engine::dsp {

class EffectBus {
  public:
    static constexpr int kTracks = 8;

    struct Sends {
        int32_t reverb = 0;
        int32_t delay = 0;
    };

    // Starts a graph's effects: tracks with non-null effects get fresh effects with
    // the defaults, then the stored sends and the play defaults (reverb step 4,
    // delay 400 ms with feedback step 1) are applied.
    using Effects = std::array<TrackEffects*, kTracks + 1>;
    void attach(const Effects& effects);
    // Forgets the graph's effects (stop); sends and levels stay.
    void detach();

    void setEq(int track, float lowDb, float midDb, float highDb);
    void setCompressor(int track, int ratio, int thresholdDb, int releaseMs, int gainDb);
    void sendEffects(int track, int16_t reverbSend, int16_t delaySend);
    void setBusReverb(int timeStep);
    void setBusDelay(int delayMs, int feedbackStep);
    void setBusLevels(int16_t reverbLevel, int16_t delayLevel);

    Sends sends(int track) const { return valid(track) ? sends_[track] : Sends{}; }
    int16_t reverbLevel() const { return reverbLevel_; }
    int16_t delayLevel() const { return delayLevel_; }
    // The settings of a track's effects, or nullptr when the track has none.
    const TrackEffectSettings* settings(int track) const;

    // What a newly made effect runs with until the caller sets its own values.
    static TrackEffectSettings freshSettings();
    static ReverbParams freshReverb();
    static EchoParams freshEcho();

    static constexpr int kPlayReverbStep = 4;
    static constexpr int kPlayDelayMs = 400;
    static constexpr int kPlayFeedbackStep = 1;

  private:
    static bool valid(int track) { return track >= 1 && track <= kTracks; }
    void push(int track);

    std::array<Sends, kTracks + 1> sends_{};
    int16_t reverbLevel_ = 0;
    int16_t delayLevel_ = 0;
    Effects effects_{};
    std::array<TrackEffectSettings, kTracks + 1> settings_{};
};

} // namespace vl::engine::dsp
