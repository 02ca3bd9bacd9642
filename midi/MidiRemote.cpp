#include "midi/MidiRemote.h"

#include "midi/MidiDevices.h"

namespace vl {

int rowForProgram(const QStringList& songNumbers, int program) {
    for (int row = 0; row < songNumbers.size(); ++row) {
        const QString number = songNumbers[row].trimmed();
        if (number.isEmpty()) continue;
        bool ok = false;
        const int value = number.toInt(&ok, 10);
        if (ok && value == program) return row;
    }
    return -1;
}

int firedControl(const std::array<MidiControlSlot, 4>& controls, const MidiMessage& message, bool valueSensitive) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const MidiControlSlot& slot = controls[i];
        if (slot.status != message.status || slot.data1 != message.data1) continue;
        if (valueSensitive && slot.data2 != message.data2) continue;
        return static_cast<int>(i);
    }
    return -1;
}

void processMidiInput(MidiDevices& devices, AppState& state, MidiRemoteHost& host) {
    MidiInbox& inbox = devices.inbox();
    if (!inbox.hasMessage() || devices.learning()) return;
    const MidiMessage m = inbox.read();
    const MidiRules rules = host.midiRules();

    if (rules.masterVolumeEnabled && m.data1 == 7) {
        if (m.status == 0xAF + rules.masterVolumeChannel) {
            state.masterFactor = static_cast<float>(m.data2) * kMidiVolumeScale;
            host.applyMixer();
        }
        // Only MIDI channels 1-8 reach the track volumes.
        if (m.status >= 0xB0 && m.status <= 0xB7) {
            state.channelFaders[static_cast<std::size_t>(m.channel)] = m.data2;
            host.applyMixer();
        }
    }

    if (rules.programChangeSelectsSong && m.status == 0xC0) { // channel 1 only
        const int row = rowForProgram(host.songNumbers(), m.data1);
        if (row >= 0) {
            if (row != host.playingSong()) host.stopPlayback();
            host.selectSongFromMidi(row);
            if (rules.programChangePlays) host.runMidiAction(MidiAction::PlayStop);
            inbox.clear();
            return;
        }
    }

    if (m.status == 0) return;
    bool known = false;
    for (const MidiControlSlot& slot : rules.controls)
        known = known || slot.status == m.status;
    if (!known) return;
    inbox.clear();
    const int fired = firedControl(rules.controls, m, rules.valueSensitive);
    if (fired >= 0) host.runMidiAction(static_cast<MidiAction>(fired));
}

} // namespace vl
