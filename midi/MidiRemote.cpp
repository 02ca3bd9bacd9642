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
    if (devices.learning() || !inbox.hasMessage()) return;
    const MidiRules rules = host.midiRules();
    // A fader sends dozens of volume changes a tick: the engine hears their last value once,
    // before anything else the tick does.
    bool mixerChanged = false;
    const auto applyMixer = [&] {
        if (mixerChanged) host.applyMixer();
        mixerChanged = false;
    };

    MidiMessage m;
    // An action may wait in an event loop where a learn can begin: the learner's from then on.
    while (!devices.learning() && inbox.take(m)) {
        if (rules.masterVolumeEnabled && m.data1 == 7) {
            if (m.status == 0xAF + rules.masterVolumeChannel) {
                state.masterFactor = static_cast<float>(m.data2) * kMidiVolumeScale;
                mixerChanged = true;
            }
            // Only MIDI channels 1-8 reach the track volumes.
            if (m.status >= 0xB0 && m.status <= 0xB7) {
                state.channelFaders[static_cast<std::size_t>(m.channel)] = m.data2;
                mixerChanged = true;
            }
        }

        if (rules.programChangeSelectsSong && m.status == 0xC0) { // channel 1 only
            const int row = rowForProgram(host.songNumbers(), m.data1);
            if (row >= 0) {
                applyMixer();
                if (row != host.playingSong()) host.stopPlayback();
                host.selectSongFromMidi(row);
                if (rules.programChangePlays) host.runMidiAction(MidiAction::PlayStop);
                continue;
            }
        }

        const int fired = firedControl(rules.controls, m, rules.valueSensitive);
        if (fired >= 0) {
            applyMixer();
            host.runMidiAction(static_cast<MidiAction>(fired));
        }
    }
    applyMixer();
}

} // namespace vl
