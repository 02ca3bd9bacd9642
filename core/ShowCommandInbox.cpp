#include "core/ShowCommandInbox.h"

namespace vl {

bool ShowCommandInbox::post(ShowCommand command) {
    std::lock_guard lock(mutex_);
    if (queue_.size() >= kCapacity) return false;
    queue_.push_back(std::move(command));
    return true;
}

std::optional<ShowCommand> ShowCommandInbox::take() {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return std::nullopt;
    ShowCommand c = std::move(queue_.front());
    queue_.pop_front();
    return c;
}

} // namespace vl
