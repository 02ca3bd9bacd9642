#pragma once
// Helpers for engine tests: generated audio files, offline rendering on the manual device,
// and a JACK client that records what the engine plays.

#include "engine/AudioFormat.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace vl::engine {
class Engine;
class ManualDevice;
} // namespace vl::engine

namespace vl::test {

// Writes `frames` frames of `channels` channels; sample(frame, channel) gives each value.
// `format` is a libsndfile major|minor format (default 16-bit WAV).
void writeAudio(const std::filesystem::path& path, int rate, int channels, int64_t frames,
                const std::function<float(int64_t, int)>& sample, int format = 0);
// A sine of `hz` at `amplitude` on every channel.
void writeTone(const std::filesystem::path& path, int rate, int channels, double seconds, double hz,
               float amplitude, int format = 0);

// Eight rendered output channels.
using Outputs = std::array<std::vector<float>, vl::engine::kOutputChannels>;
// Renders `frames` frames in blocks of `block`, servicing the decoder before every block
// when the engine has no decoding thread.
Outputs renderFrames(vl::engine::Engine& engine, vl::engine::ManualDevice& device, int frames,
                     int block = 512, bool service = true);
// The engine's device list entry named `name`; -1 when none is.
int deviceEntry(const vl::engine::Engine& engine, const std::string& name);
// Lists the devices and opens the entry named `name`; false when it is not listed.
bool openListed(vl::engine::Engine& engine, const std::string& name);
// The rms of a sine of `amplitude` played as one track at unity gain, centred.
double toneRms(double amplitude);
// Slot k + 1 plays files[k] from `dir` on its output pair at unity gain; the other slots
// name a missing file.
void loadTracks(vl::engine::Engine& engine, const std::filesystem::path& dir,
                const std::vector<std::pair<std::string, uint8_t>>& files);
double rms(const std::vector<float>& samples, std::size_t from = 0);
double peak(const std::vector<float>& samples, std::size_t from = 0);

// JACK: true when the test may run; fails the test (returns false) when a server was
// promised through JACK_DEFAULT_SERVER and none answers, skips quietly otherwise.
bool jackAvailableOrFail();

// A JACK client of the test with eight input ports.
class JackRecorder {
public:
    // Records the first `frames` frames after start(), then nothing more.
    explicit JackRecorder(std::size_t frames);
    ~JackRecorder();
    bool ok() const { return client_ != nullptr; }
    jack_client_t* client() const { return client_; }
    // Connects "<source>:out_1..8" to its inputs and starts recording from the next period.
    bool connectFrom(const std::string& sourceClient);
    void start() { recording_.store(true, std::memory_order_release); }
    std::size_t recorded() const { return count_.load(std::memory_order_acquire); }
    // Waits (bounded) until `frames` frames are recorded.
    bool waitFor(std::size_t frames, int timeoutMs = 10000) const;
    const std::vector<float>& channel(int c) const { return data_[c]; }

private:
    static int process(unsigned frames, void* self);
    jack_client_t* client_ = nullptr;
    std::array<jack_port_t*, 8> ports_{};
    std::array<std::vector<float>, 8> data_;
    std::atomic<bool> recording_{false};
    std::atomic<std::size_t> count_{0};
};

// Port names of the server matching `pattern` (JACK regular expression) and flags.
std::vector<std::string> jackPorts(jack_client_t* client, const char* pattern, unsigned long flags = 0);
std::vector<std::string> jackConnections(jack_client_t* client, const std::string& port);

} // namespace vl::test
