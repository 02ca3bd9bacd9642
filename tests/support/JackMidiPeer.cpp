#include "support/JackMidiPeer.h"

#include <jack/midiport.h>

namespace vl::test {

JackMidiPeer::JackMidiPeer(const std::string& clientName) {
    jack_status_t status{};
    client_ = jack_client_open(clientName.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackUseExactName),
                               &status);
    if (!client_) return;
    out_ = jack_port_register(client_, "send", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    in_ = jack_port_register(client_, "receive", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &JackMidiPeer::process, this);
    jack_set_xrun_callback(client_, &JackMidiPeer::xrun, this);
    jack_activate(client_);
}

JackMidiPeer::~JackMidiPeer() {
    if (!client_) return;
    jack_deactivate(client_);
    jack_client_close(client_);
}

std::string JackMidiPeer::sendPort() const { return client_ ? jack_port_name(out_) : std::string(); }
std::string JackMidiPeer::receivePort() const { return client_ ? jack_port_name(in_) : std::string(); }

void JackMidiPeer::send(const std::vector<unsigned char>& message) {
    std::lock_guard lock(mutex_);
    toSend_.push_back(message);
}

std::vector<std::vector<unsigned char>> JackMidiPeer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::size_t JackMidiPeer::receivedCount() const {
    std::lock_guard lock(mutex_);
    return received_.size();
}

void JackMidiPeer::clearReceived() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

int JackMidiPeer::xrun(void* self) {
    ++static_cast<JackMidiPeer*>(self)->xruns_;
    return 0;
}

// A test client: it may wait for the test thread now and then.
int JackMidiPeer::process(jack_nframes_t frames, void* self) {
    auto* peer = static_cast<JackMidiPeer*>(self);
    void* out = jack_port_get_buffer(peer->out_, frames);
    void* in = jack_port_get_buffer(peer->in_, frames);
    jack_midi_clear_buffer(out);
    std::lock_guard lock(peer->mutex_);
    for (const auto& message : peer->toSend_)
        jack_midi_event_write(out, 0, message.data(), message.size());
    peer->toSend_.clear();
    const jack_nframes_t count = jack_midi_get_event_count(in);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, in, i) == 0)
            peer->received_.emplace_back(event.buffer, event.buffer + event.size);
    }
    return 0;
}

} // namespace vl::test
