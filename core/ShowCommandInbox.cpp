#include "core/ShowCommandInbox.h"

namespace vl {

bool ShowCommandInbox::post(ShowCommand command) {
    bool wasEmpty = false;
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= capacity_) {
            ++dropped_;
            return false;
        }
        wasEmpty = queue_.empty();
        queue_.push_back(std::move(command));
    }
    if (wasEmpty && wake_) wake_();
    return true;
}

std::vector<ShowCommand> ShowCommandInbox::takeAll() {
    std::lock_guard lock(mutex_);
    std::vector<ShowCommand> taken(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
    queue_.clear();
    return taken;
}

std::size_t ShowCommandInbox::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

} // namespace vl
