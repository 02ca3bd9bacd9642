#pragma once
// Any thread posts, the interface thread runs.

#include "core/ShowCommand.h"

#include <deque>
#include <mutex>

namespace vl {

class ShowCommandInbox {
public:
    bool post(ShowCommand command) {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= 256) return false;
        queue_.push_back(std::move(command));
        return true;
    }
    bool take(ShowCommand& command) {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return false;
        command = std::move(queue_.front());
        queue_.pop_front();
        return true;
    }

private:
    std::mutex mutex_;
    std::deque<ShowCommand> queue_;
};

} // namespace vl
