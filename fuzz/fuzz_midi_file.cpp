// Any bytes as a MIDI file: reading, the texts built from it at any position and the state
// chased for a start inside it never crash, read out of bounds or hang.
#include "engine/midi/MidiChase.h"
#include "engine/midi/MidiFile.h"
#include "engine/midi/MidiTextBuilder.h"

#include <cstddef>
#include <cstdint>

using namespace vl::engine::midi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MidiReadResult r = readMidi({data, size}, size % 2 == 1);
    if (!r.song) return 0;
    const MidiSong& song = *r.song;
    for (const MidiEvent& e : song.events)
        if (e.status == 0xF0 && uint64_t{e.sysexOffset} + e.sysexSize > song.sysex.size()) __builtin_trap();
    const uint32_t length = song.lengthSongBytes();
    for (int kind : {0, 2, 3})
        for (uint32_t now : {0u, length / 2, length})
            (void)midiTextBuilder(song, kind, now);
    (void)chaseState(song, song.lengthFrames / 2);
    return 0;
}
