#include "EngineTestSupport.h"

#include "AudioFileWriter.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace vl::test {

void writeAudio(const std::filesystem::path& path, int rate, int channels, int64_t frames,
                const std::function<float(int64_t, int)>& sample, int format) {
    ASSERT_TRUE(writeAudioFile(path, rate, channels, frames, sample, format)) << path;
}

void writeTone(const std::filesystem::path& path, int rate, int channels, double seconds, double hz,
               float amplitude, int format) {
    ASSERT_TRUE(writeToneFile(path, rate, channels, seconds, hz, amplitude, format)) << path;
}

Outputs renderFrames(vl::engine::Engine& engine, vl::engine::ManualDevice& device, int frames, int block,
                     bool service) {
    Outputs out;
    for (auto& c : out)
        c.assign(static_cast<std::size_t>(frames), 0.0f);
    for (int done = 0; done < frames;) {
        const int n = std::min(block, frames - done);
        if (service) engine.serviceDecoder();
        float* channels[vl::engine::kOutputChannels];
        for (int c = 0; c < vl::engine::kOutputChannels; ++c)
            channels[c] = out[c].data() + done;
        device.render(channels, n);
        done += n;
    }
    return out;
}

int deviceEntry(const vl::engine::Engine& engine, const std::string& name) {
    for (int i = 0; i < engine.deviceCount(); ++i)
        if (engine.driverName(i) == name) return i;
    return -1;
}

bool openListed(vl::engine::Engine& engine, const std::string& name) {
    engine.initAudioDriver(-1, nullptr);
    const int index = deviceEntry(engine, name);
    return index >= 0 && engine.initAudioDriver(index, nullptr) == 1;
}

double toneRms(double amplitude) {
    return amplitude * vl::engine::kTrackLevel / std::sqrt(2.0);
}

void loadTracks(vl::engine::Engine& engine, const std::filesystem::path& dir,
                const std::vector<std::pair<std::string, uint8_t>>& files) {
    for (int slot = 1; slot <= 8; ++slot) {
        const bool given = std::size_t(slot) <= files.size();
        const auto& [name, pair] = given ? files[slot - 1] : std::pair<std::string, uint8_t>{"none", 0};
        engine.setTrackFile(slot, pair, 1.0f, 0, (dir / name).c_str());
    }
}

double rms(const std::vector<float>& samples, std::size_t from) {
    double sum = 0;
    for (std::size_t i = from; i < samples.size(); ++i)
        sum += double(samples[i]) * samples[i];
    return samples.size() > from ? std::sqrt(sum / double(samples.size() - from)) : 0.0;
}

double peak(const std::vector<float>& samples, std::size_t from) {
    double p = 0;
    for (std::size_t i = from; i < samples.size(); ++i)
        p = std::max(p, double(std::fabs(samples[i])));
    return p;
}

bool jackAvailableOrFail() {
    jack_status_t status{};
    jack_client_t* probe = jack_client_open("vltest-probe", JackNoStartServer, &status);
    if (probe) {
        jack_client_close(probe);
        return true;
    }
    if (std::getenv("JACK_DEFAULT_SERVER"))
        ADD_FAILURE() << "JACK_DEFAULT_SERVER is set but no JACK server answers";
    return false;
}

JackRecorder::JackRecorder(std::size_t frames) {
    for (auto& d : data_)
        d.assign(frames, 0.0f);
    jack_status_t status{};
    client_ = jack_client_open("vltest-recorder", JackNoStartServer, &status);
    if (!client_) return;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "in_" + std::to_string(i + 1);
        ports_[i] = jack_port_register(client_, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    }
    jack_set_process_callback(client_, &JackRecorder::process, this);
    jack_activate(client_);
}

JackRecorder::~JackRecorder() {
    if (client_) {
        jack_deactivate(client_);
        jack_client_close(client_);
    }
}

bool JackRecorder::connectFrom(const std::string& sourceClient) {
    for (int i = 0; i < 8; ++i) {
        const std::string from = sourceClient + ":out_" + std::to_string(i + 1);
        if (jack_connect(client_, from.c_str(), jack_port_name(ports_[i])) != 0) return false;
    }
    return true;
}

bool JackRecorder::waitFor(std::size_t frames, int timeoutMs) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (recorded() < frames) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

int JackRecorder::process(unsigned frames, void* self) {
    auto* r = static_cast<JackRecorder*>(self);
    if (!r->recording_.load(std::memory_order_acquire)) return 0;
    const std::size_t at = r->count_.load(std::memory_order_relaxed);
    const std::size_t n = std::min<std::size_t>(frames, r->data_[0].size() - at);
    for (int i = 0; i < 8; ++i) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(r->ports_[i], frames));
        std::copy(in, in + n, r->data_[i].begin() + static_cast<std::ptrdiff_t>(at));
    }
    r->count_.store(at + n, std::memory_order_release);
    return 0;
}

std::vector<std::string> jackPorts(jack_client_t* client, const char* pattern, unsigned long flags) {
    std::vector<std::string> names;
    const char** ports = jack_get_ports(client, pattern, JACK_DEFAULT_AUDIO_TYPE, flags);
    for (int i = 0; ports && ports[i]; ++i)
        names.emplace_back(ports[i]);
    if (ports) jack_free(ports);
    return names;
}

std::vector<std::string> jackConnections(jack_client_t* client, const std::string& port) {
    std::vector<std::string> names;
    jack_port_t* p = jack_port_by_name(client, port.c_str());
    if (!p) return names;
    const char** conns = jack_port_get_all_connections(client, p);
    for (int i = 0; conns && conns[i]; ++i)
        names.emplace_back(conns[i]);
    if (conns) jack_free(conns);
    return names;
}

} // namespace vl::test

#if defined(__SANITIZE_THREAD__)
// The recorder reads port buffers that the engine's JACK client wrote in the same process;
// the server orders the two clients through its own futexes and pipes, which
// ThreadSanitizer cannot see. FluidSynth loads a sound font's samples on OpenMP threads,
// which libgomp joins through futexes ThreadSanitizer cannot see either.
extern "C" const char* __tsan_default_suppressions() {
    return "race:vl::test::JackRecorder::process\ncalled_from_lib:libgomp.so.1\n";
}
#endif
