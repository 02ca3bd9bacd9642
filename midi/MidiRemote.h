#pragma once
// What an incoming MIDI message does, on each timer tick of the UI thread: the MIDI master
// and track volumes, the program change that selects a song, and the four learnt controls.

#include "core/AppState.h"
#include "midi/MidiInbox.h"

#include <QStringList>

#include <array>

namespace vl {

class MidiDevices;

// The settings that decide what a message does, as they are at this tick.
struct MidiRules {
    bool masterVolumeEnabled = false;
    int masterVolumeChannel = 1; // 1..16
    bool programChangeSelectsSong = false;
    bool programChangePlays = false;
    bool valueSensitive = false;
    // play / stop, program up, program down, show lyric
    std::array<MidiControlSlot, 4> controls{};
};

enum class MidiAction { PlayStop, ProgramUp, ProgramDown, ShowLyric };

// What the messages act on; the application answers.
class MidiRemoteHost {
  public:
    virtual ~MidiRemoteHost() = default;
    virtual MidiRules midiRules() = 0;
    virtual void applyMixer() = 0;
    // The "num" column of the song list, from the top.
    virtual QStringList songNumbers() = 0;
    virtual int playingSong() = 0;
    virtual void stopPlayback() = 0;
    // Focus on the song list, `row` brought into view with a few rows after it, selected.
    virtual void selectSongFromMidi(int row) = 0;
    virtual void runMidiAction(MidiAction action) = 0;
};

// The factor CC 7 makes of its value.
inline constexpr float kMidiVolumeScale = 0.00787f;

// The first row whose number, read as a decimal number, equals `program`; -1 for none.
int rowForProgram(const QStringList& songNumbers, int program);

// The learnt slot a message fires, -1 for none.
int firedControl(const std::array<MidiControlSlot, 4>& controls, const MidiMessage& message, bool valueSensitive);

// One tick's work: every message that came in since the last tick, in the order it came.
// What no rule takes is let go.
void processMidiInput(MidiDevices& devices, AppState& state, MidiRemoteHost& host);

} // namespace vl
