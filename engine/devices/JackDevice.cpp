#include "engine/devices/JackDevice.h"

#include "engine/AudioFormat.h"

#include <jack/jack.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace vl::engine {

namespace {

// libjack reports a missing server on stderr; the engine shows failures as silence.
void quiet(const char*) {}

void silenceJackMessages() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(quiet);
        jack_set_info_function(quiet);
    });
}

// A client open that fails while a client whose server died is still open tears down
// libjack's process-wide state, and closing the dead client then crashes. So opens and
// closes take turns, and no server is asked for until every dead client is closed.
std::mutex& jackTurns() {
    static std::mutex turns;
    return turns;
}
std::atomic<int> deadClients{0};

jack_client_t* openClient(const char* name) {
    silenceJackMessages();
    jack_status_t status{};
    return jack_client_open(name, JackNoStartServer, &status);
}

} // namespace

bool jackServerRunning() {
    std::lock_guard turn(jackTurns());
    // The server of a dead client is gone; its watcher closes it within moments.
    if (deadClients.load(std::memory_order_acquire) > 0) return false;
    jack_client_t* probe = openClient("vellamorinth-probe");
    if (!probe) return false;
    jack_client_close(probe);
    return true;
}

bool JackDevice::open(AudioSource& source) {
    close();
    std::lock_guard turn(jackTurns());
    if (deadClients.load(std::memory_order_acquire) > 0) return false;
    client_ = openClient(kJackClientName);
    if (!client_) return false;
    source_ = &source;
    serverLost_.store(false, std::memory_order_release);
    for (int i = 0; i < kOutputChannels; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "out_%d", i + 1);
        ports_[i] = jack_port_register(client_, name, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (!ports_[i]) {
            closeClient();
            return false;
        }
    }
    jack_set_process_callback(client_, &JackDevice::process, this);
    jack_on_shutdown(client_, &JackDevice::shutdown, this);
    if (jack_activate(client_) != 0) {
        closeClient();
        return false;
    }
    connectToPlayback();
    return true;
}

void JackDevice::connectToPlayback() {
    const char** playback =
        jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
    if (!playback) return;
    for (int i = 0; i < kOutputChannels && playback[i]; ++i)
        jack_connect(client_, jack_port_name(ports_[i]), playback[i]);
    jack_free(playback);
}

void JackDevice::close() {
    if (!client_) return;
    std::lock_guard turn(jackTurns());
    closeClient();
}

void JackDevice::closeClient() {
    if (!serverLost_.load(std::memory_order_acquire)) jack_deactivate(client_);
    jack_client_close(client_); // also unregisters the ports
    // Read after the close: the server may have died during it.
    if (serverLost_.exchange(false, std::memory_order_acq_rel))
        deadClients.fetch_sub(1, std::memory_order_release);
    client_ = nullptr;
    ports_.fill(nullptr);
    source_ = nullptr;
}

int JackDevice::sampleRate() const {
    const jack_nframes_t rate = client_ ? jack_get_sample_rate(client_) : 0;
    return rate > 0 ? static_cast<int>(rate) : kSampleRate;
}

int JackDevice::outputLatencyFrames() const {
    if (!client_ || !ports_[0]) return 0;
    jack_latency_range_t range{};
    jack_port_get_latency_range(ports_[0], JackPlaybackLatency, &range);
    return static_cast<int>(range.max);
}

const char* JackDevice::clientName() const {
    return client_ ? jack_get_client_name(client_) : "";
}

int JackDevice::process(jack_nframes_t frames, void* self) {
    auto* d = static_cast<JackDevice*>(self);
    float* channels[kOutputChannels];
    for (int i = 0; i < kOutputChannels; ++i)
        channels[i] = static_cast<float*>(jack_port_get_buffer(d->ports_[i], frames));
    d->source_->render_RT(channels, static_cast<int>(frames));
    return 0;
}

void JackDevice::shutdown(void* self) {
    if (!static_cast<JackDevice*>(self)->serverLost_.exchange(true, std::memory_order_acq_rel))
        deadClients.fetch_add(1, std::memory_order_release);
}

} // namespace vl::engine
