#include "midi/JackMidiInput.h"

#include "midi/MidiInbox.h"

#include <jack/jack.h>
#include <jack/midiport.h>

namespace vl {

std::unique_ptr<JackMidiInput> JackMidiInput::open(const std::string& clientName, const std::string& portName,
                                                   const std::string& source, MidiInputCallback callback,
                                                   void* context) {
    std::unique_ptr<JackMidiInput> input(new JackMidiInput(callback, context));
    jack_status_t status{};
    input->client_ = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (!input->client_) return nullptr;
    jack_on_shutdown(input->client_, &JackMidiInput::serverGone, input.get());
    input->port_ = jack_port_register(input->client_, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!input->port_ || jack_set_process_callback(input->client_, &JackMidiInput::process, input.get()) != 0 ||
        jack_activate(input->client_) != 0)
        return nullptr;
    if (jack_connect(input->client_, source.c_str(), jack_port_name(input->port_)) != 0) return nullptr;
    return input;
}

JackMidiInput::~JackMidiInput() {
    // libjack crashes closing a client whose server died once another open has failed since
    // (the engine retries its device meanwhile); the dead client's resources went with its server.
    if (!client_ || serverGone_.load(std::memory_order_acquire)) return;
    jack_deactivate(client_);
    jack_client_close(client_);
}

void JackMidiInput::serverGone(void* self) {
    static_cast<JackMidiInput*>(self)->serverGone_.store(true, std::memory_order_release);
}

// JACK's process thread: no lock, no allocation.
int JackMidiInput::process(uint32_t frames, void* self) {
    auto* input = static_cast<JackMidiInput*>(self);
    void* buffer = jack_port_get_buffer(input->port_, frames);
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0) continue;
        // A system exclusive message, or a piece of one, is nothing the remote control reads.
        if (event.buffer[0] < 0x80 || event.buffer[0] == 0xF0 || event.size > 3) continue;
        input->callback_(input->context_, packShortMessage(event.buffer, event.size));
    }
    return 0;
}

} // namespace vl
