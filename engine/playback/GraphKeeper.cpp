#include "engine/playback/GraphKeeper.h"

#include "engine/Mixer.h"
#include "engine/playback/PlaybackGraph.h"

#include <chrono>

namespace vl::engine {

namespace {
// Rings hold about three seconds; a pass every 10 ms keeps them nearly full.
constexpr auto kPassInterval = std::chrono::milliseconds(10);
} // namespace

GraphKeeper::GraphKeeper(const Mixer& mixer, bool ownThread) : mixer_(mixer) {
    if (ownThread) thread_ = std::thread([this] { run(); });
}

GraphKeeper::~GraphKeeper() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void GraphKeeper::setActive(std::shared_ptr<PlaybackGraph> graph) {
    replace(active_, std::move(graph));
}

void GraphKeeper::replace(std::shared_ptr<PlaybackGraph>& held, std::shared_ptr<PlaybackGraph> graph) {
    std::shared_ptr<PlaybackGraph> previous; // let go of outside the lock
    {
        std::lock_guard lock(mutex_);
        previous = std::move(held);
        held = std::move(graph);
    }
    kick();
}

void GraphKeeper::setNext(std::shared_ptr<PlaybackGraph> graph) {
    replace(next_, std::move(graph));
}

void GraphKeeper::kick() {
    {
        std::lock_guard lock(mutex_);
        kicked_ = true;
    }
    wake_.notify_all();
}

void GraphKeeper::retire(std::shared_ptr<PlaybackGraph> graph, uint64_t epoch) {
    if (!graph) return;
    std::lock_guard lock(mutex_);
    retired_.push_back({std::move(graph), epoch});
}

void GraphKeeper::reclaim(bool all) {
    std::vector<Retired> done;
    {
        std::lock_guard lock(mutex_);
        for (auto it = retired_.begin(); it != retired_.end();) {
            if (all || mixer_.callbackLetGo(it->epoch)) {
                done.push_back(std::move(*it));
                it = retired_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Graphs close their files here, outside the lock.
}

std::size_t GraphKeeper::retiredCount() {
    std::lock_guard lock(mutex_);
    return retired_.size();
}

void GraphKeeper::service() {
    if (thread_.joinable())
        kick();
    else
        pass();
}

void GraphKeeper::refillNow() {
    pass();
}

void GraphKeeper::pass() {
    std::lock_guard turn(passMutex_);
    std::shared_ptr<PlaybackGraph> graph, next;
    {
        std::lock_guard lock(mutex_);
        graph = active_;
        next = next_;
    }
    if (graph) graph->refill();
    if (next) next->refill();
    reclaim(false);
}

void GraphKeeper::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        pass();
        lock.lock();
        wake_.wait_for(lock, kPassInterval, [this] { return stopping_ || kicked_; });
        kicked_ = false;
    }
}

} // namespace vl::engine
