#pragma once
// The state a song has built up before a point inside it: what a synthesizer must be sent
// so that a start there sounds as if the song had played from the beginning. Notes are
// not chased.

#include "engine/midi/MidiFile.h"

#include <cstddef>
#include <vector>

namespace vl::engine::midi {

// The first event at or after 44.1 kHz frame `frame`.
std::size_t firstEventAt(const MidiSong& song, uint64_t frame);

// Messages to send, in order, for a start at `frame`: the system exclusive messages before
// it, then per channel bank select, program, the last value of each controller, the
// parameter-number controllers in their order, pitch bend and channel pressure.
std::vector<MidiEvent> chaseState(const MidiSong& song, uint64_t frame);

} // namespace vl::engine::midi
