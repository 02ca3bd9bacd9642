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

void JackMidiPeer::setTraffic(std::vector<std::vector<unsigned char>> messages, double perSecond) {
    std::lock_guard lock(mutex_);
    traffic_ = std::move(messages);
    trafficPerSecond_ = perSecond;
    trafficDue_ = 0;
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
    int traffic = 0;
    if (!peer->traffic_.empty() && peer->trafficPerSecond_ > 0) {
        peer->trafficDue_ += peer->trafficPerSecond_ * frames / jack_get_sample_rate(peer->client_);
        traffic = static_cast<int>(peer->trafficDue_);
        peer->trafficDue_ -= traffic;
    }
    const auto writeTraffic = [&](int from, int to) {
        for (int k = from; k < to; ++k) {
            const auto& message = peer->traffic_[peer->nextTraffic_++ % peer->traffic_.size()];
            const auto time = static_cast<jack_nframes_t>(static_cast<uint64_t>(k) * frames / traffic);
            if (jack_midi_event_write(out, time, message.data(), message.size()) == 0) ++peer->trafficSent_;
        }
    };
    writeTraffic(0, traffic / 2);
    const auto middle = static_cast<jack_nframes_t>(traffic > 0 ? static_cast<uint64_t>(traffic / 2) * frames / traffic : 0);
    for (const auto& message : peer->toSend_)
        jack_midi_event_write(out, middle, message.data(), message.size());
    peer->toSend_.clear();
    writeTraffic(traffic / 2, traffic);
    const jack_nframes_t count = jack_midi_get_event_count(in);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, in, i) == 0)
            peer->received_.emplace_back(event.buffer, event.buffer + event.size);
    }
    return 0;
}

} // namespace vl::test
