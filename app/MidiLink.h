#pragma once
// The MIDI devices in the running program: opened at start-up and closed at shutdown, the
// inbox looked at after every timer tick, the MIDI output told of each start and stop.

#include "midi/MidiDevices.h"
#include "midi/MidiRemote.h"

#include <QObject>

#include <cstdint>
#include <memory>

namespace vl {

class Application;
class MidiPorts;

class MidiLink final : public QObject, public MidiRemoteHost {
    Q_OBJECT
  public:
    MidiLink(Application& app, std::unique_ptr<MidiPorts> ports);
    ~MidiLink() override;

    MidiDevices& devices() { return devices_; }

    // Start-up, once the audio driver is active: the chosen input, then the chosen output;
    // a message that came in meanwhile is dropped.
    void start();
    // Shutdown, after the preferences are written.
    void closeDevices();

    void processMidiInput();

    MidiRules midiRules() override;
    void applyMixer() override;
    QStringList songNumbers() override;
    int playingSong() override;
    void stopPlayback() override;
    void selectSongFromMidi(int row) override;
    void runMidiAction(MidiAction action) override;

  private:
    void songStarted();

    Application& app_;
    MidiDevices devices_;
    uint64_t reportedDrops_ = 0;
};

} // namespace vl
