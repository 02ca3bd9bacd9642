#pragma once
// Show commands from the network's threads to the interface thread. Posting holds a mutex
// only around a bounded queue, never while a command runs, so neither side waits on the
// other; a full queue drops the command, so a flood can neither grow memory nor stall the
// interface.

#include "core/ShowCommand.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace vl {

class ShowCommandInbox {
public:
    explicit ShowCommandInbox(std::size_t capacity = 256) : capacity_(capacity) {}

    // Called (on the posting thread) when a command arrives in an empty queue: the owner
    // schedules a drain on the interface thread. Set before any thread posts.
    void setWake(std::function<void()> wake) { wake_ = std::move(wake); }

    // False when the queue is full and the command was dropped.
    bool post(ShowCommand command);
    std::vector<ShowCommand> takeAll();
    std::size_t dropped() const;

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::deque<ShowCommand> queue_;
    std::size_t dropped_ = 0;
    std::function<void()> wake_;
};

} // namespace vl
