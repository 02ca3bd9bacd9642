// Prints, one a line, the time (microseconds of jack_get_time(), the system's monotonic
// clock) of each click that CLIENT:out_1 plays on the server of JACK_DEFAULT_SERVER, for
// SECONDS seconds. A process of its own, so that a test can listen to two servers at once.
#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

jack_client_t* client = nullptr;
jack_port_t* input = nullptr;
constexpr int kMaxClicks = 4096;
uint64_t clicks[kMaxClicks];
std::atomic<int> clickCount{0};
uint64_t quietFrames = 1 << 20; // since the last click

int process(jack_nframes_t frames, void*) {
    const auto* in = static_cast<const float*>(jack_port_get_buffer(input, frames));
    const jack_nframes_t start = jack_last_frame_time(client);
    for (jack_nframes_t i = 0; i < frames; ++i, ++quietFrames) {
        if (std::fabs(in[i]) < 0.05f || quietFrames < 4410) continue;
        const int n = clickCount.load(std::memory_order_relaxed);
        if (n < kMaxClicks) {
            clicks[n] = jack_frames_to_time(client, start + i);
            clickCount.store(n + 1, std::memory_order_release);
        }
        quietFrames = 0;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CLIENT SECONDS\n", argv[0]);
        return 2;
    }
    client = jack_client_open("vltest-clicks", JackNoStartServer, nullptr);
    if (!client) return 1;
    input = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client, process, nullptr);
    if (jack_activate(client) != 0) return 1;
    if (jack_connect(client, (std::string(argv[1]) + ":out_1").c_str(), jack_port_name(input)) != 0) return 1;
    std::printf("listening\n");
    std::fflush(stdout);
    int printed = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[2]));
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (const int n = clickCount.load(std::memory_order_acquire); printed < n; ++printed)
            std::printf("%llu\n", static_cast<unsigned long long>(clicks[printed]));
        std::fflush(stdout);
    }
    jack_client_close(client);
    return 0;
}
