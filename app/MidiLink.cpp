#include "app/MidiLink.h"

#include "app/Application.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/ShowCommandRunner.h"
#include "app/Transport.h"
#include "midi/MidiOutMessages.h"
#include "setlists/SongListModel.h"
#include "settings/Settings.h"

namespace vl {

MidiLink::MidiLink(Application& app, std::unique_ptr<MidiPorts> ports) : app_(app), devices_(std::move(ports)) {
    MidiDevices::setEngineMidiOutTarget(&devices_);
}

MidiLink::~MidiLink() {
    MidiDevices::setEngineMidiOutTarget(nullptr);
}

void MidiLink::start() {
    Transport& transport = app_.transport();
    connect(&transport, &Transport::aboutToStartEngine, this, [this] { sendPlayReset(devices_); });
    connect(&transport, &Transport::engineStarted, this, &MidiLink::songStarted);
    connect(&transport, &Transport::engineStopped, this, [this] { sendStop(devices_); });
    connect(&app_.mainLoop(), &MainLoop::ticked, this, &MidiLink::processMidiInput);
    app_.settings().openMidiDevice(1);
    app_.settings().openMidiDevice(2);
    devices_.inbox().clear();
}

void MidiLink::closeDevices() {
    devices_.closeInput();
    devices_.closeOutput();
}

void MidiLink::songStarted() {
    std::array<SongProgramChange, 3> changes{};
    const auto& stored = app_.program().midiProgramChanges;
    for (std::size_t i = 0; i < changes.size() && i < stored.size(); ++i)
        changes[i] = {stored[i].channel, stored[i].program};
    sendSongProgramChanges(devices_, changes);
}

void MidiLink::processMidiInput() {
    vl::processMidiInput(devices_, app_.state(), *this);
    const uint64_t dropped = devices_.inbox().dropped();
    if (dropped != reportedDrops_) {
        qWarning("MIDI input: %llu messages dropped so far, more came in than the program could take",
                 static_cast<unsigned long long>(dropped));
        reportedDrops_ = dropped;
    }
}

MidiRules MidiLink::midiRules() {
    const Preferences& p = app_.prefs();
    return {p.midiMasterVolumeEnabled, p.midiMasterVolumeChannel, p.programChangeSelectsSong,
            p.programChangePlays,      p.valueSensitive,          p.midiControls};
}

void MidiLink::applyMixer() { app_.transport().applyMixer(); }

QStringList MidiLink::songNumbers() {
    QStringList numbers;
    for (const SongListRow& row : app_.songs().rows())
        numbers << row.number;
    return numbers;
}

int MidiLink::playingSong() { return app_.state().playingSong; }

void MidiLink::stopPlayback() { app_.transport().stopPlayback(); }

void MidiLink::selectSongFromMidi(int row) { ShowCommandRunner::selectRow(app_, row); }

void MidiLink::runMidiAction(MidiAction action) {
    switch (action) {
    case MidiAction::PlayStop: app_.transport().startPlayback(true); break;
    case MidiAction::ProgramUp: app_.mainLoop().runCommand(MainWindow::Command::Up); break;
    case MidiAction::ProgramDown: app_.mainLoop().runCommand(MainWindow::Command::Down); break;
    case MidiAction::ShowLyric: app_.mainLoop().showLyricView(); break;
    }
}

} // namespace vl
