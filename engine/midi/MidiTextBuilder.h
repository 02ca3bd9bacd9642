#pragma once
// The three texts the lyric view shows for a MIDI file: the recent lines already sung, the
// line being sung, and what is still to come.

#include "engine/midi/MidiFile.h"

#include <cstdint>
#include <string>

namespace vl::engine::midi {

struct MidiTextSet {
    std::string recentLines;
    std::string currentLine;
    std::string upcomingText;
};

// Builds the texts from the events of `kind` (0: lyric events when the file has any, else
// text events, else markers) as they stand at song byte `now`. The first event after
// `now` already counts as being sung; '/' and '\' are line breaks.
MidiTextSet midiTextBuilder(const MidiSong& song, int kind, uint32_t now);

} // namespace vl::engine::midi
