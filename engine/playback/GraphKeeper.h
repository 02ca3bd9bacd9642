#pragma once
// Keeps the playing graph's rings filled on the decoding thread and frees retired graphs
// once the audio callback has let go of them. Never touched by the audio thread.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vl::engine {

class Mixer;
class PlaybackGraph;

class GraphKeeper {
public:
    // With `ownThread` false nothing decodes until service() is called (tests, benchmarks).
    GraphKeeper(const Mixer& mixer, bool ownThread);
    ~GraphKeeper();
    GraphKeeper(const GraphKeeper&) = delete;
    GraphKeeper& operator=(const GraphKeeper&) = delete;

    // UI thread: the graph to keep filled (nullptr: none).
    void setActive(std::shared_ptr<PlaybackGraph> graph);
    // UI thread: a graph the callback may still be reading since the given mixer epoch.
    void retire(std::shared_ptr<PlaybackGraph> graph, uint64_t epoch);
    // Without an own thread: one refill and clean-up pass on the calling thread. With one,
    // only wakes it: a ring has one producer.
    void service();
    // Frees retired graphs the callback has let go of; with `all`, every one (device closed).
    void reclaim(bool all);
    std::size_t retiredCount();

private:
    void run();
    void pass();
    void kick();

    const Mixer& mixer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool kicked_ = false;
    std::shared_ptr<PlaybackGraph> active_;
    struct Retired {
        std::shared_ptr<PlaybackGraph> graph;
        uint64_t epoch;
    };
    std::vector<Retired> retired_;
    std::thread thread_;
};

} // namespace vl::engine
