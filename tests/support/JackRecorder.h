#pragma once
// Measuring what a program plays into JACK: a recording client, port queries, levels.

#include <array>
#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace vl::test {

double rms(const std::vector<float>& samples, std::size_t from = 0);
double peak(const std::vector<float>& samples, std::size_t from = 0);
// The median rms of windows of `window` samples from `from` on: the level a signal plays
// at, which a period dropped by a loaded machine does not move.
double medianWindowRms(const std::vector<float>& samples, std::size_t from, std::size_t window = 1024);

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
    // Cycles the server reported late since the client opened: a recording may have a gap there.
    int xruns() const { return xruns_.load(); }

private:
    static int process(unsigned frames, void* self);
    static int xrun(void* self);
    jack_client_t* client_ = nullptr;
    std::array<jack_port_t*, 8> ports_{};
    std::array<std::vector<float>, 8> data_;
    std::atomic<bool> recording_{false};
    std::atomic<std::size_t> count_{0};
    std::atomic<int> xruns_{0};
};

// Port names of the server matching `pattern` (JACK regular expression) and flags.
std::vector<std::string> jackPorts(jack_client_t* client, const char* pattern, unsigned long flags = 0);
std::vector<std::string> jackConnections(jack_client_t* client, const std::string& port);

} // namespace vl::test
