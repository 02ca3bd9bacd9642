#pragma once
// The program's one MIDI input and one MIDI output. The input hands each message to the
// inbox on the driver's thread; every sender of the output (the transport on the UI
// thread, the engine's MIDI thread during system MIDI playback) goes through
// sendShortMessage, one message at a time.

#include "midi/MidiInbox.h"
#include "midi/MidiPorts.h"

#include <QStringList>

#include <memory>
#include <mutex>

namespace vl {

class MidiDevices {
  public:
    // Device names are cut to this length in the lists.
    static constexpr int kMaxNameLength = 32;

    explicit MidiDevices(std::unique_ptr<MidiPorts> ports);
    ~MidiDevices();
    MidiDevices(const MidiDevices&) = delete;
    MidiDevices& operator=(const MidiDevices&) = delete;

    // "no driver" first, then each port; entry k is port k - 1.
    QStringList inputList();
    QStringList outputList();

    // Open port `port` (entry port + 1 of the list); false when it cannot be opened.
    bool openInput(int port);
    void closeInput();
    bool inputOpen() const { return inputOpen_; }
    bool openOutput(int port);
    void closeOutput();
    bool outputOpen() const;

    // status | channel with the two data bytes, as long as the status says; nothing when no
    // output is open or the status is not one of a short message. Any thread.
    bool sendShortMessage(int status, int channel, int data1, int data2);
    // A whole message as it is (system exclusive too); nothing when no output is open. Any thread.
    bool sendBytes(const unsigned char* bytes, std::size_t size);

    MidiInbox& inbox() { return inbox_; }

    // While a settings row learns, the message is the learner's and no action takes it.
    void setLearning(bool learning) { learning_ = learning; }
    bool learning() const { return learning_; }

    // The function the engine calls during system MIDI playback (status, data1, data2,
    // length): forwards to the output of `devices`, or drops the message while none is set.
    static int32_t forwardEngineMidiOut(int32_t status, int32_t data1, int32_t data2, int32_t length);
    static void setEngineMidiOutTarget(MidiDevices* devices);
    // The engine's timecode messages, whole (VL_SetMidiOutBytesCallBack), to the same output.
    static int32_t forwardEngineMidiBytes(const uint8_t* bytes, int32_t length);

  private:
    MidiInbox inbox_; // outlives the ports, whose thread writes it
    std::unique_ptr<MidiPorts> ports_;
    bool inputOpen_ = false;
    bool learning_ = false;
    mutable std::mutex outputMutex_; // guards the output's opening, closing and sending
    bool outputOpen_ = false;
};

// The number of bytes a message with this status byte has; 0 for a status that is no
// short message (system exclusive, undefined, or a data byte).
int shortMessageLength(int status);

} // namespace vl
