#include "midi/MidiOutMessages.h"

#include "midi/MidiDevices.h"

namespace vl {

namespace {
constexpr int kControlChange = 0xB0;
constexpr int kProgramChange = 0xC0;
constexpr int kVolume = 7;
constexpr int kResetAllControllers = 121;
constexpr int kStartVolume = 115;
constexpr int kMidiStop = 0xFC;
} // namespace

void sendPlayReset(MidiDevices& devices) {
    if (!devices.outputOpen()) return;
    for (int channel = 0; channel < 16; ++channel) {
        devices.sendShortMessage(kControlChange, channel, kVolume, kStartVolume);
        devices.sendShortMessage(kControlChange, channel, kResetAllControllers, 0);
    }
}

void sendSongProgramChanges(MidiDevices& devices, const std::array<SongProgramChange, 3>& changes) {
    if (!devices.outputOpen()) return;
    for (const SongProgramChange& change : changes) {
        // A program file from elsewhere may name channels or programs beyond MIDI's.
        if (change.channel < 1 || change.channel > 16 || change.program < 1 || change.program > 128) continue;
        devices.sendShortMessage(kProgramChange, change.channel - 1, change.program - 1, 0);
    }
}

void sendStop(MidiDevices& devices) { devices.sendShortMessage(kMidiStop, 0, 0, 0); }

} // namespace vl
