#pragma once
// The feedback to subscribers: the show's state, song, next song, time and setlist, sent
// when they change (the time at most ten times a second), and all of it to a new
// subscriber. Runs on the server's feedback thread, reading the latest snapshot.

#include "core/ShowSnapshot.h"
#include "remote/OscTargets.h"

#include <functional>
#include <memory>


namespace vl {

class OscFeedback {
public:
    // Sends one message to one address; the feedback keeps ownership of the message.
    using Send = std::function<void(const OscAddress& to, const char* path, lo_message message)>;

    OscFeedback(const ShowSnapshotBoard& board, OscTargets& targets, Send send)
        : board_(board), targets_(targets), send_(std::move(send)) {}

    void tick(std::chrono::steady_clock::time_point now);

private:
    const ShowSnapshotBoard& board_;
    OscTargets& targets_;
    Send send_;
    std::shared_ptr<const ShowSnapshot> sent_;
    std::chrono::steady_clock::time_point timeSentAt_{};
};

} // namespace vl
