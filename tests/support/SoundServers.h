#pragma once
// Sound servers a test starts for itself, so that it can kill and restart them without
// disturbing other tests: jackd with its dummy backend, and PulseAudio with a null sink.
// Also the shared server that the test script starts, and recording a PulseAudio sink.

#include "support/TempFolder.h"

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vl::test {

// The null sink of every PulseAudio server the tests use (scripts/pulse-null.sh), and the
// description RtAudio lists it under.
constexpr const char* kNullSink = "vellamorinth_null";
constexpr const char* kNullSinkListed = "Vellamorinth-Null";

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// A server process, stopped in order by the destructor: jackd leaves its entry in the
// machine's JACK registry (eight servers at most) unless it stops in order or a server of
// the same name starts again.
class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    // SIGKILL, as a crash would end it, and reaped.
    void kill();
    // SIGTERM, SIGKILL after five seconds, and reaped.
    void stop();
    // SIGSTOP and SIGCONT: a server that hangs and one that goes on.
    void freeze();
    void thaw();

protected:
    // Runs `script` ("jack-dummy.sh", "pulse-null.sh") with "run" and `arg`, output into `log`;
    // the script becomes the server.
    bool spawn(const char* script, const std::string& arg, const std::filesystem::path& log);
    bool alive();

private:
    pid_t pid_ = -1;
};

class PrivateJackServer : public ServerProcess {
public:
    explicit PrivateJackServer(std::string name) : name_(std::move(name)) {}
    // A server left killed is started once more, so that it leaves the registry in order.
    ~PrivateJackServer();
    // Starts (again) under the same name; true once a client can connect.
    bool start();
    void kill();
    const std::string& name() const { return name_; }

private:
    std::string name_;
    bool killed_ = false;
    TempFolder logs_;
};

class PrivatePulseServer : public ServerProcess {
public:
    explicit PrivatePulseServer(std::filesystem::path dir) : dir_(std::move(dir)) {}
    // Starts (again) on the same socket in `dir`; true once it answers.
    bool start();
    // For PULSE_SERVER.
    std::string address() const { return "unix:" + (dir_ / "native").string(); }
    // Removes the null sink, as unplugging an interface removes its sink, and adds it back.
    bool unplugSink();
    bool plugSinkIn();

private:
    std::filesystem::path dir_;
};

// The test script's PulseAudio server: true when the test may run; fails the test when
// PULSE_SERVER promises one and it does not answer, skips quietly otherwise.
bool pulseAvailableOrFail();
// Lines of `pactl list short <what>` on the server of PULSE_SERVER, without pactl's own.
std::vector<std::string> pulseList(const char* what);
struct Stereo {
    std::vector<float> left, right;
};
// Records `frames` frames from the monitor of the null sink with parec.
Stereo recordNullSink(std::size_t frames);
// The median period in samples between rising zero crossings: a dropped period does not move it.
std::size_t medianPeriod(const std::vector<float>& samples);
// Threads of this process.
int threadCount();

} // namespace vl::test
