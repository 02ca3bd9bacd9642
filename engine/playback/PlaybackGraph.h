#pragma once
// What VL_Play builds: the tracks that play, each with its decoder and ring buffer. Built
// on the UI thread, then read by the audio thread and refilled by the decoding thread.

#include "engine/AudioFormat.h"
#include "engine/TrackSlot.h"
#include "engine/dsp/TrackEffects.h"
#include "engine/playback/StereoRing.h"
#include "engine/playback/TrackSource.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace vl::engine {

class GraphTrack {
public:
    // At least two seconds of decoded audio stay ahead of the callback (2.5 s, rounded up
    // to a power of two frames).
    static constexpr int kRingTenthsOfSeconds = 25;

    // `startFrame` counts 44.1 kHz frames; the source delivers `outputRate` frames. A track
    // without effects (the MIDI track) gets only pan, gain and master volume.
    GraphTrack(const TrackSlot& slot, int slotNumber, std::unique_ptr<TrackSource> source,
               uint64_t startFrame, int outputRate = kSampleRate, bool withEffects = true);

    int slotNumber() const { return slotNumber_; }
    // The track's own effects: set from the UI thread, run by the audio thread; nullptr for
    // a track without.
    dsp::TrackEffects* effects() { return effects_.get(); }
    // Any thread: song bytes reached in the mix, counted from the start of the file.
    uint64_t positionSongBytes() const;

    // Decoding side (UI thread before publishing, the decoding thread after).
    std::size_t refill(std::size_t budget);

    // Audio thread: reads the next block into left/right (silence past the end or on a miss)
    // and adds it, processed, into the eight channels.
    void mix_RT(float* left, float* right, float* const* channels, int frames, float master,
                std::atomic<uint64_t>& underruns);

private:
    std::size_t pull_RT(float* left, float* right, int frames, std::atomic<uint64_t>& underruns);
    // Track effects, before pan and gain.
    void processEffects_RT(float* left, float* right, int frames) {
        if (effects_) effects_->process(left, right, frames);
    }

    const TrackSlot& slot_;
    const int slotNumber_;
    const uint64_t startFrame_;
    const int outputRate_;
    std::unique_ptr<TrackSource> decoder_;
    StereoRing ring_;
    std::unique_ptr<dsp::TrackEffects> effects_;
    std::atomic<bool> decoded_{false}; // every frame of the file is in the ring
    std::atomic<uint64_t> consumed_{0};

    // Audio thread only.
    uint64_t owed_ = 0; // frames a miss left out; skipped when they arrive, so tracks stay in step
    std::array<float, kOutputChannels> gains_{};
    bool gainsSet_ = false;
};

class PlaybackGraph {
public:
    void add(std::unique_ptr<GraphTrack> track) { tracks_.push_back(std::move(track)); }
    const std::vector<std::unique_ptr<GraphTrack>>& tracks() const { return tracks_; }
    // Decoding side: tops up every ring, a chunk per track in turn; returns frames written.
    std::size_t refill();
    // Any thread: the furthest position of any track, in song bytes.
    uint32_t positionSongBytes() const;

private:
    std::vector<std::unique_ptr<GraphTrack>> tracks_;
};

} // namespace vl::engine
