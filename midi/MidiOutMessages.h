#pragma once
// What the transport sends to the MIDI output around a song's start and stop.

#include <array>

namespace vl {

class MidiDevices;

// One of a song's program changes: channel 1-16 (0 = none), program 1-128 (0 = none).
struct SongProgramChange {
    int channel = 0;
    int program = 0;
};

// Before the engine starts: every channel's volume to 115 and its controllers reset.
void sendPlayReset(MidiDevices& devices);

// After the start: the song's program changes that name a channel and a program.
void sendSongProgramChanges(MidiDevices& devices, const std::array<SongProgramChange, 3>& changes);

// At a stop: one MIDI Stop (0xFC). Nothing else: a System Reset (0xFF) would make many
// synthesizers drop their patches at every stop.
void sendStop(MidiDevices& devices);

} // namespace vl
