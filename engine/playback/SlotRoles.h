#pragma once
// Which slot holds the song's MIDI file and which its video, found by the file name.

#include "engine/TrackSlot.h"

#include <array>

namespace vl::engine {

struct SlotRoles {
    int midiSlot = 0;  // 0: none
    int videoSlot = 0; // 0: none
};

// The first slot whose name holds ".mid", ".MID" or, for karaoke files, ".kar" or ".KAR"
// anywhere (exact case) is the MIDI slot;
// likewise ".mpg", ".MPG", ".avi", ".AVI", ".wmv" or ".WMV" anywhere for the video slot, and
// also a name that ends in a video extension in any case (".mp4", ".mkv", ".mov", ".webm",
// ".m4v", ".mpeg" besides those three) unless the file holds sound only, as music in an ".mp4"
// or ".webm" does: that is an audio track. Names of four characters or fewer never count.
SlotRoles classifySlots(const std::array<TrackSlot, kSlotCount + 1>& slots);

} // namespace vl::engine
