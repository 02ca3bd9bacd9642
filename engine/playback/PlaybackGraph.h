#pragma once
// What VL_Play builds: the tracks that play, each with its decoder, ring buffer and
// effects. A graph is immutable in shape once published: no track is added or removed
// while a callback may read it, so the audio thread walks tracks() without a lock.
//
// Life of a graph (the hand-over itself is described in GraphKeeper.h):
// - built and prefilled on the UI thread, which is the rings' only producer until it
//   hands the graph to GraphKeeper::setActive;
// - then read block by block by the audio thread (mix_RT: the consumer of every ring,
//   and the only thread that runs the effects) and topped up by the decoding thread
//   (refill: the producer);
// - unpublished, retired and freed off the audio thread once the callback let go of it.
// Each ring has exactly one producer and one consumer at any time, so neither side waits:
// a late decoder costs an underrun (silence, counted, caught up later), never a stall.
// The UI thread reaches a playing graph only through atomics: the slot's gain, pan and
// output pair, each track's position, and its effects' lock-free settings hand-over.

#include "engine/AudioFormat.h"
#include "engine/TrackSlot.h"
#include "engine/dsp/Ramp.h"
#include "engine/dsp/TrackEffects.h"
#include "engine/playback/StereoRing.h"
#include "engine/playback/TrackSource.h"
#include "engine/timecode/BlockStamp.h"

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
    // Any thread: song bytes reached in the mix, counted from the start of the file. Past
    // the audio's end (a file cut short while it plays) it runs on in time, up to the
    // length measured when the song started.
    uint64_t positionSongBytes() const;

    // Decoding side (UI thread before publishing, the decoding thread after).
    std::size_t refill(std::size_t budget);

    // Audio thread: reads the next block into left/right (silence past the end or on a miss)
    // and adds it, processed, into the eight channels.
    void mix_RT(float* left, float* right, float* const* channels, int frames, float master,
                std::atomic<uint64_t>& underruns);
    // Audio thread: the next block as it is, silence past the end or on a miss.
    std::size_t pull_RT(float* left, float* right, int frames, std::atomic<uint64_t>& underruns);

private:
    // Track effects, before pan and gain.
    void processEffects_RT(float* left, float* right, int frames) {
        if (effects_) effects_->process(left, right, frames);
    }

    const TrackSlot& slot_;
    const int slotNumber_;
    const uint64_t startFrame_;
    const int outputRate_;
    const uint64_t lengthSongBytes_;
    std::unique_ptr<TrackSource> decoder_;
    StereoRing ring_;
    std::unique_ptr<dsp::TrackEffects> effects_;
    std::atomic<bool> decoded_{false}; // every frame of the file is in the ring
    std::atomic<uint64_t> consumed_{0}; // frames of the device's clock the track has been part of

    // Audio thread only.
    uint64_t owed_ = 0; // frames a miss left out; skipped when they arrive, so tracks stay in step
    std::array<dsp::Ramp, kOutputChannels> gains_{};
};

class PlaybackGraph {
public:
    // UI thread, before publishing: where the song starts (44.1 kHz frames) and the device's rate.
    void setClockStart(uint64_t startFrame, int outputRate) {
        clockStart_ = startFrame;
        clockRate_ = outputRate;
    }
    // Audio thread: the device played `frames` more frames of this graph.
    void advanceClock_RT(int frames) { clockFrames_.fetch_add(static_cast<uint64_t>(frames), std::memory_order_relaxed); }
    // Any thread: device frames played of this graph so far.
    uint64_t clockFrames() const { return clockFrames_.load(std::memory_order_relaxed); }
    uint64_t clockStartFrame() const { return clockStart_; }
    int clockRate() const { return clockRate_; }
    // Any thread: the song position by the device's clock, in song bytes. Unlike the tracks'
    // position it also runs without any audio track and past the end of the audio: the
    // video's clock.
    uint32_t clockSongBytes() const;
    void add(std::unique_ptr<GraphTrack> track) { tracks_.push_back(std::move(track)); }
    // The decoding thread tops up the first track first.
    void addFirst(std::unique_ptr<GraphTrack> track) { tracks_.insert(tracks_.begin(), std::move(track)); }
    const std::vector<std::unique_ptr<GraphTrack>>& tracks() const { return tracks_; }
    // Decoding side: tops up every ring, a chunk per track in turn; returns frames written.
    std::size_t refill();
    // Any thread: the furthest position of any track, in song bytes.
    uint32_t positionSongBytes() const;

    // UI thread, before publishing: a timecode track that alone fills output `channel` (0..7).
    void setTimecodeTrack(std::unique_ptr<GraphTrack> track, int channel) {
        timecode_ = std::move(track);
        timecodeChannel_ = channel;
    }
    // Audio thread, after the tracks: the timecode replaces whatever they put on its channel.
    void writeTimecode_RT(float* left, float* right, float* const* channels, int frames,
                          std::atomic<uint64_t>& underruns);
    // Audio thread, once a callback before its first chunk; the MIDI thread reads it.
    void stampBlock_RT(int64_t steadyNanos) {
        stamp_.write_RT(clockFrames_.load(std::memory_order_relaxed), steadyNanos);
    }
    const timecode::BlockStamp& blockStamp() const { return stamp_; }

private:
    std::vector<std::unique_ptr<GraphTrack>> tracks_;
    std::unique_ptr<GraphTrack> timecode_;
    int timecodeChannel_ = 0;
    timecode::BlockStamp stamp_;
    uint64_t clockStart_ = 0;
    int clockRate_ = kSampleRate;
    std::atomic<uint64_t> clockFrames_{0};
};

} // namespace vl::engine
