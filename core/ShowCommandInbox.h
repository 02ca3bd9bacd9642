#pragma once
// Commands from other threads for the interface thread. post() never waits on the interface
// thread (a short mutex around a bounded queue) and refuses when the queue is full, so a
// flood can neither grow memory nor stall the interface.

#include "core/ShowCommand.h"

#include <deque>
#include <mutex>
#include <optional>

namespace vl {

class ShowCommandInbox {
public:
    static constexpr std::size_t kCapacity = 64;
    bool post(ShowCommand command);
    // The interface thread: the oldest command, if any.
    std::optional<ShowCommand> take();

private:
    std::mutex mutex_;
    std::deque<ShowCommand> queue_;
};

} // namespace vl
