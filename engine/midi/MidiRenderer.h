#pragma once
// A song's MIDI file rendered by the sound font synthesizer into a track's ring: every
// event applied at its own frame, the controller and program state chased when the song
// starts inside the file. Until the synth has its font (still loading, or unreadable) it
// delivers silence a little ahead of the callback, so that a font arriving during the song
// comes in at once, in time, with the state chased at the point it arrives.

#include "engine/midi/MidiFile.h"
#include "engine/playback/TrackSource.h"

#include <cstdint>
#include <memory>
#include <vector>

typedef struct _fluid_synth_t fluid_synth_t;

namespace vl::engine::midi {

class SoundFontSynth;

class MidiRenderer final : public TrackSource {
public:
    // UI thread: `startFrame` counts 44.1 kHz frames, the output runs at `rate`. `synth`
    // may be null (silence); `claim` is what its claim() returned for this song.
    MidiRenderer(std::shared_ptr<const MidiSong> song, SoundFontSynth* synth, uint64_t claim,
                 uint64_t startFrame, int rate);

    std::size_t fill(StereoRing& ring, std::size_t budget) override;
    bool finished() const override { return position_ >= end_; }
    uint32_t lengthSongBytes() const override { return song_->lengthSongBytes(); }

private:
    uint64_t outputFrame(const MidiEvent& e) const { return e.frame * uint64_t(rate_) / 44100; }
    void apply(fluid_synth_t* synth, const MidiEvent& e) const;
    // The song's state at the current position on a synth that has just got its font.
    void catchUp(fluid_synth_t* synth);

    std::shared_ptr<const MidiSong> song_;
    SoundFontSynth* synth_;
    const uint64_t claim_;
    const int rate_;
    uint64_t position_; // output frames
    const uint64_t end_;
    std::size_t next_; // the next event to apply
    uint64_t serial_ = 0; // the synth's font the song's state was set up on; 0: none yet
    std::vector<float> buffer_;
};

} // namespace vl::engine::midi
