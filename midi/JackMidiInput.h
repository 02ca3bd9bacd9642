#pragma once
// The program's MIDI input from a JACK MIDI port, a client of its own: every event of the
// port goes to the callback on JACK's process thread, each on its own. RtMidi's JACK input
// keeps waiting for the end of a system exclusive message that lacks its closing F7 and
// drops everything after it, so a pedal board on JACK would go deaf until a restart.

#include "midi/MidiPorts.h"

#include <atomic>
#include <memory>
#include <string>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace vl {

class JackMidiInput {
  public:
    // A client named `clientName` (or what JACK makes of it) with an input port `portName`,
    // connected to the output port `source` ("client:port"); nullptr when any step fails.
    static std::unique_ptr<JackMidiInput> open(const std::string& clientName, const std::string& portName,
                                               const std::string& source, MidiInputCallback callback,
                                               void* context);
    // No callback runs once this returns.
    ~JackMidiInput();
    JackMidiInput(const JackMidiInput&) = delete;
    JackMidiInput& operator=(const JackMidiInput&) = delete;

  private:
    JackMidiInput(MidiInputCallback callback, void* context) : callback_(callback), context_(context) {}
    static int process(uint32_t frames, void* self);
    static void serverGone(void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    const MidiInputCallback callback_;
    void* const context_;
    std::atomic<bool> serverGone_{false};
};

} // namespace vl
