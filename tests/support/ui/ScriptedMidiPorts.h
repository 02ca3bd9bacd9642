#pragma once
// MIDI ports for tests: a scripted list of devices, messages injected from a thread of
// their own as a driver would deliver them, and a record of what the program sends, with
// the number of engine calls made before each message.

#include "midi/MidiPorts.h"

#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace vl::test {

struct SentMidi {
    std::vector<unsigned char> bytes;
    std::size_t engineCallsBefore = 0; // of the recording engine, when one is installed
};

class ScriptedMidiPorts final : public MidiPorts {
  public:
    QStringList inputs{QStringLiteral("Pedal board"), QStringLiteral("Keyboard")};
    QStringList outputs{QStringLiteral("Synth")};
    bool inputOpens = true;
    bool outputOpens = true;
    int openInputPort = -1; // -1 while closed
    int openOutputPort = -1;
    std::vector<SentMidi> sent;

    QStringList inputNames() override { return inputs; }
    QStringList outputNames() override { return outputs; }
    bool openInput(int index, MidiInputCallback callback, void* context) override;
    void closeInput() override;
    bool openOutput(int index) override;
    void closeOutput() override { openOutputPort = -1; }
    bool send(const unsigned char* bytes, std::size_t size) override;

    // Delivers one message through the open input on a driver-like thread; returns once
    // the callback is done. False when no input is open.
    bool inject(const std::vector<unsigned char>& bytes);
    bool inject(std::initializer_list<unsigned char> bytes) { return inject(std::vector<unsigned char>(bytes)); }
    std::vector<std::vector<unsigned char>> sentBytes() const;

  private:
    MidiInputCallback callback_ = nullptr;
    void* context_ = nullptr;
};

// The ports for Application::Services, keeping a pointer for the test; the program owns them.
std::function<std::unique_ptr<MidiPorts>()> scriptedMidiPorts(ScriptedMidiPorts*& ports);

} // namespace vl::test
