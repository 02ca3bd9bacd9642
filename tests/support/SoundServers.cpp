#include "SoundServers.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace vl::test {

namespace {

// Polls `ready` for up to ten seconds while `alive` holds; a server that does not get
// there fails the test with its log.
template <typename Ready, typename Alive>
bool waitUntil(Ready ready, Alive alive, const std::filesystem::path& log) {
    for (int i = 0; i < 200; ++i) {
        if (ready()) return true;
        if (!alive()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "the server did not start; " << log << ":\n" << readFile(log);
    return false;
}

std::string pactl(const std::string& args) {
    return "pactl " + args + " 2>/dev/null";
}

} // namespace

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* v = std::getenv(name)) saved_ = v;
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (saved_)
        setenv(name_.c_str(), saved_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

bool ServerProcess::spawn(const char* script, const std::string& arg, const std::filesystem::path& log) {
    stop();
    const std::string path = std::string(VL_SOURCE_DIR) + "/scripts/" + script;
    std::vector<std::string> args{"bash", path, "run", arg};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const int failed = posix_spawnp(&pid_, "bash", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) pid_ = -1;
    return !failed;
}

bool ServerProcess::alive() {
    if (pid_ <= 0) return false;
    if (waitpid(pid_, nullptr, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
}

void ServerProcess::freeze() {
    if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void ServerProcess::thaw() {
    if (pid_ > 0) ::kill(pid_, SIGCONT);
}

void ServerProcess::stop() {
    if (pid_ <= 0) return;
    thaw();
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (!alive()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill();
}

void ServerProcess::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

PrivateJackServer::~PrivateJackServer() {
    if (killed_) start();
    stop();
}

void PrivateJackServer::kill() {
    ServerProcess::kill();
    killed_ = true;
}

bool PrivateJackServer::start() {
    killed_ = false;
    const auto log = logs_ / "jackd.log";
    return spawn("jack-dummy.sh", name_, log) &&
           waitUntil(
               [&] {
                   jack_status_t status{};
                   jack_client_t* probe =
                       jack_client_open("vltest-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                        &status, name_.c_str());
                   if (probe) jack_client_close(probe);
                   return probe != nullptr;
               },
               [&] { return alive(); }, log);
}

bool PrivatePulseServer::start() {
    const std::filesystem::path log = dir_.string() + ".log";
    return spawn("pulse-null.sh", dir_.string(), log) &&
           waitUntil([&] { return std::system(pactl("--server=" + address() + " info >/dev/null").c_str()) == 0; },
                     [&] { return alive(); }, log);
}

bool PrivatePulseServer::unplugSink() {
    return std::system(pactl("--server=" + address() + " unload-module module-null-sink").c_str()) == 0;
}

bool PrivatePulseServer::plugSinkIn() {
    const std::string module = std::string("load-module module-null-sink sink_name=") + kNullSink +
                               " rate=44100 channels=2 sink_properties=device.description=" + kNullSinkListed;
    return std::system(pactl("--server=" + address() + " " + module + " >/dev/null").c_str()) == 0;
}

bool pulseAvailableOrFail() {
    if (!std::getenv("PULSE_SERVER")) return false;
    if (std::system(pactl("info >/dev/null").c_str()) == 0) return true;
    ADD_FAILURE() << "PULSE_SERVER is set but no PulseAudio server answers";
    return false;
}

std::vector<std::string> pulseList(const char* what) {
    std::vector<std::string> lines;
    FILE* p = popen(pactl(std::string("list short ") + what).c_str(), "r");
    if (!p) return lines;
    char line[1024];
    while (std::fgets(line, sizeof line, p))
        if (!std::strstr(line, "pactl")) lines.emplace_back(line);
    pclose(p);
    return lines;
}

Stereo recordNullSink(std::size_t frames) {
    Stereo s;
    const std::string command = std::string("parec --device=") + kNullSink +
                                ".monitor --format=float32le --rate=44100 --channels=2 --raw --latency-msec=20 2>/dev/null";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return s;
    std::vector<float> interleaved(frames * 2);
    const std::size_t got = std::fread(interleaved.data(), sizeof(float) * 2, frames, p);
    pclose(p); // parec ends at its next write
    for (std::size_t i = 0; i < got; ++i) {
        s.left.push_back(interleaved[2 * i]);
        s.right.push_back(interleaved[2 * i + 1]);
    }
    return s;
}

std::size_t medianPeriod(const std::vector<float>& s) {
    std::vector<std::size_t> gaps;
    std::size_t last = 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i - 1] < 0 && s[i] >= 0) {
            if (last) gaps.push_back(i - last);
            last = i;
        }
    }
    if (gaps.empty()) return 0;
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    return gaps[gaps.size() / 2];
}

int threadCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') ++n;
        closedir(d);
    }
    return n;
}

} // namespace vl::test
