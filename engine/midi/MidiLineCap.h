#pragma once
// Lines of a MIDI file's texts held to a length the lyric view can show. Karaoke files
// without line marks, or one enormous event, would otherwise give a single line of
// megabytes that the view has to lay out on every syllable.

#include "engine/midi/MidiFile.h"

#include <cstddef>
#include <vector>

namespace vl::engine::midi {

// Characters (not bytes) one line of the texts may hold.
constexpr std::size_t kMaxLyricLineChars = 48;

// Breaks every line of `marks` (taken in order, '/', '\' and '\n' ending a line) that
// would grow past `maxChars` characters: at its last space, where the space becomes a
// line feed, else just before the character that would not fit. No character is lost.
void capLineLengths(std::vector<MidiMark>& marks, std::size_t maxChars = kMaxLyricLineChars);

} // namespace vl::engine::midi
