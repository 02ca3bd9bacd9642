#include "engine/MidiTexts.h"

namespace vl::engine {

const char* MidiTexts::text(int which) const {
    static const char empty[] = "";
    if (which < 1 || which > 3) return empty;
    return shown_[which - 1].c_str();
}

int MidiTexts::takeUpdated(bool force) {
    if (force) {
        updated_.store(true, std::memory_order_release);
        return 1;
    }
    if (!updated_.exchange(false, std::memory_order_acq_rel)) return 0;
    std::lock_guard lock(mutex_);
    if (pendingFresh_) {
        for (int i = 0; i < 3; ++i)
            shown_[i] = pending_[i];
        pendingFresh_ = false;
    }
    return 1;
}

void MidiTexts::publish(std::string recent, std::string current, std::string upcoming) {
    {
        std::lock_guard lock(mutex_);
        pending_[0] = std::move(recent);
        pending_[1] = std::move(current);
        pending_[2] = std::move(upcoming);
        pendingFresh_ = true;
    }
    updated_.store(true, std::memory_order_release);
}

void MidiTexts::clear() {
    std::lock_guard lock(mutex_);
    for (auto& s : pending_) s.clear();
    for (auto& s : shown_) s.clear();
    pendingFresh_ = false;
    updated_.store(false, std::memory_order_release);
}

} // namespace vl::engine
