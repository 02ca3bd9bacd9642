#pragma once
// JACK output: client "vellamorinth" with ports out_1..out_8 (four stereo pairs), connected
// to the server's physical playback ports 1..8 where they exist. Never starts a server.

#include "engine/devices/OutputDevice.h"

#include <array>
#include <atomic>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;
typedef unsigned int jack_nframes_t;

namespace vl::engine {

constexpr const char* kJackClientName = "vellamorinth";

// True when a JACK server answers; returns at once when none runs.
bool jackServerRunning();

class JackDevice final : public OutputDevice {
public:
    ~JackDevice() override { close(); }
    bool open(AudioSource& source) override;
    void close() override;
    DeviceKind kind() const override { return DeviceKind::Jack; }
    int sampleRate() const override;
    int outputLatencyFrames() const override;
    bool canBeLost() const override { return true; }
    bool lost() const override { return serverLost_.load(std::memory_order_acquire); }

    // The client's name as the server gave it (may carry a suffix when taken); "" when closed.
    const char* clientName() const;

private:
    static int process(jack_nframes_t frames, void* self);
    static void shutdown(void* self);
    void connectToPlayback();
    void closeClient(); // with the turn held

    jack_client_t* client_ = nullptr;
    std::array<jack_port_t*, 8> ports_{};
    AudioSource* source_ = nullptr;
    std::atomic<bool> serverLost_{false};
};

} // namespace vl::engine
