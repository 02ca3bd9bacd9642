#pragma once
// The system's MIDI ports as the program uses them: one input that hands every message to
// a callback on the driver's thread, and one output. The program runs on RtMidiPorts; tests
// put their own ports here to inject messages and record what is sent.

#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace vl {

// Called on the driver's thread with a message packed as status | data1 << 8 | data2 << 16.
using MidiInputCallback = void (*)(void* context, uint32_t message) noexcept;

class MidiPorts {
  public:
    virtual ~MidiPorts() = default;

    // The ports there are now, in the order the devices are numbered.
    virtual QStringList inputNames() = 0;
    virtual QStringList outputNames() = 0;

    // Opens the input of the last listing at `index`; false when it cannot be opened.
    virtual bool openInput(int index, MidiInputCallback callback, void* context) = 0;
    // No callback runs once this returns.
    virtual void closeInput() = 0;
    virtual bool openOutput(int index) = 0;
    virtual void closeOutput() = 0;
    // One whole message on the open output; false when it could not be sent.
    virtual bool send(const unsigned char* bytes, std::size_t size) = 0;
};

} // namespace vl
