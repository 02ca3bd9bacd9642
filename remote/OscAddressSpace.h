#pragma once
// The program's OSC address space: each message under /vellamorinth/ becomes the show
// command its key or button stands for, a subscription to the feedback, or a main's
// transport for a follower. Type checks here; nothing waits. Runs on the server's thread.

#include "core/ShowCommand.h"
#include "remote/OscRejects.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

#include <lo/lo_types.h>

namespace vl {

// Where a message came from: the address replies go to.
struct OscSource {
    QString host;
    QString port;
};

// What a main sends its followers. `clockNs`: the main's system clock (nanoseconds since
// 1970) at which the main's song was at `seconds`.
struct FollowMessage {
    enum class Kind { Setlist, Select, Play, Stop, Locate, Heartbeat };
    Kind kind = Kind::Heartbeat;
    QStringList titles; // Setlist
    int row = 0;        // Select: 1-based
    QString title;      // Select, Play
    double seconds = 0; // Play, Locate
    int64_t clockNs = 0;
};

inline constexpr char kOscRoot[] = "/vellamorinth/";

class OscAddressSpace {
public:
    struct Hooks {
        std::function<bool(ShowCommand)> post;                           // false: the inbox is full
        std::function<void(const OscSource&, int replyPort)> subscribe; // replyPort 0: the sender's own
        std::function<void(const OscSource&)> unsubscribe;
        std::function<void(const FollowMessage&)> follow;                // empty: this machine follows no main
    };
    OscAddressSpace(Hooks hooks, OscRejects& rejects) : hooks_(std::move(hooks)), rejects_(rejects) {}

    void dispatch(const char* path, const char* types, lo_arg** argv, int argc, const OscSource& from);

private:
    Hooks hooks_;
    OscRejects& rejects_;
};

} // namespace vl
