#pragma once
// The system's MIDI ports through RtMidi: the ALSA sequencer's ports first (USB interfaces,
// virtual ports), then, while a JACK server runs, its MIDI ports as "JACK: client:port".
// The program's own ports are left out of the lists, so it can never be wired to itself.
// A JACK input is read by the program's own client, not by RtMidi's.

#include "midi/MidiPorts.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class RtMidiIn;
class RtMidiOut;

namespace vl {

class JackMidiInput;

class RtMidiPorts final : public MidiPorts {
  public:
    // `clientName` names the program's ALSA clients and JACK clients.
    explicit RtMidiPorts(std::string clientName = "Vellamorinth");
    ~RtMidiPorts() override;

    QStringList inputNames() override;
    QStringList outputNames() override;
    bool openInput(int index, MidiInputCallback callback, void* context) override;
    void closeInput() override;
    bool openOutput(int index) override;
    void closeOutput() override;
    bool send(const unsigned char* bytes, std::size_t size) override;

    // One port as listed: which API it belongs to and the name the list shows.
    struct Port {
        int api = 0;
        std::string systemName; // as RtMidi names it
        QString shownName;
    };

  private:
    static void onMessage(double deltaSeconds, std::vector<unsigned char>* message, void* self);

    const std::string clientName_;
    std::vector<Port> inputs_;  // the last listing
    std::vector<Port> outputs_;
    std::unique_ptr<RtMidiIn> in_;        // an ALSA sequencer input
    std::unique_ptr<JackMidiInput> jackIn_; // or a JACK one
    std::unique_ptr<RtMidiOut> out_;
    // Read on the driver's thread.
    std::atomic<MidiInputCallback> callback_{nullptr};
    std::atomic<void*> context_{nullptr};
};

} // namespace vl
