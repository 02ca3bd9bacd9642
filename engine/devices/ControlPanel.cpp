#include "engine/devices/ControlPanel.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

extern char** environ;

namespace vl::engine {

namespace {

std::string findInPath(std::string_view tool) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        std::string candidate = std::string(dir.empty() ? "." : dir) + "/" + std::string(tool);
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return {};
}

// The shell puts the tool in the background and exits at once, so the tool is nobody's
// child here and is never left as a zombie.
bool startDetached(const std::string& program) {
    const char* argv[] = {"sh", "-c", "\"$0\" </dev/null >/dev/null 2>&1 &", program.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool startFirst(std::initializer_list<const char*> tools) {
    for (const char* tool : tools) {
        const std::string program = findInPath(tool);
        if (!program.empty()) return startDetached(program);
    }
    return false;
}

} // namespace

bool startControlPanel(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Jack:
        return startFirst({"qjackctl", "cadence", "qpwgraph", "patchage"});
    case DeviceKind::Ordinary:
        return startFirst({"pavucontrol", "pavucontrol-qt", "alsamixergui"});
    case DeviceKind::NoSound:
    case DeviceKind::Manual:
        break;
    }
    return false;
}

} // namespace vl::engine
