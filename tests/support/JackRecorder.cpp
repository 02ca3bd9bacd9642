#include "JackRecorder.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace vl::test {

double rms(const std::vector<float>& samples, std::size_t from) {
    double sum = 0;
    for (std::size_t i = from; i < samples.size(); ++i)
        sum += double(samples[i]) * samples[i];
    return samples.size() > from ? std::sqrt(sum / double(samples.size() - from)) : 0.0;
}

double medianWindowRms(const std::vector<float>& samples, std::size_t from, std::size_t window) {
    std::vector<double> levels;
    for (std::size_t at = from; at + window <= samples.size(); at += window) {
        double sum = 0;
        for (std::size_t i = at; i < at + window; ++i)
            sum += double(samples[i]) * samples[i];
        levels.push_back(std::sqrt(sum / double(window)));
    }
    if (levels.empty()) return 0.0;
    std::nth_element(levels.begin(), levels.begin() + std::ptrdiff_t(levels.size() / 2), levels.end());
    return levels[levels.size() / 2];
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
    jack_set_xrun_callback(client_, &JackRecorder::xrun, this);
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

int JackRecorder::xrun(void* self) {
    ++static_cast<JackRecorder*>(self)->xruns_;
    return 0;
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
