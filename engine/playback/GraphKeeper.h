#pragma once
// The non-real-time half of the graph hand-over: keeps the playing graph's rings filled
// and frees graphs the audio callback has let go of.
//
// The hand-over, thread by thread:
//
// - UI thread (Engine::play): builds a whole PlaybackGraph (opens, measures, seeks,
//   prefills), attaches its effects, then setActive(graph) so that the decoding thread
//   starts topping it up, then Mixer::publish(graph): one atomic pointer exchange is all
//   the callback ever sees of a new song.
// - Audio thread (Mixer::render_RT): bumps the mixer's epoch to odd, loads the graph
//   pointer once, renders the whole block from that graph, bumps the epoch to even. It
//   takes no lock, never waits for this class and never frees anything: a ring the
//   decoder has not filled in time plays silence and is counted as an underrun.
// - UI thread (Engine::stop and every new play): Mixer::publish(nullptr), reads the epoch,
//   setActive(nullptr) and retire(graph, epoch). Both sides of the epoch are sequentially
//   consistent, so an even epoch means no callback can still hold the old pointer (one
//   that starts later loads the new one), and an odd one means the callback running then
//   is done as soon as the epoch moves. Until then the retired graph stays on a list;
//   reclaim() drops it afterwards, on the UI thread or the decoding thread, so that files,
//   resamplers and rings are closed and freed off the audio thread.
// - Decoding thread (own thread, or service() on the caller's thread in offline tests and
//   benchmarks): every 10 ms, or at once when kicked, copies the active graph's pointer
//   under the mutex, refills its rings outside the mutex (the one producer of every ring)
//   and reclaims what it can. Its copy keeps a graph alive during a refill even when the
//   UI thread retires it meanwhile; the last reference then goes on this thread.
// - Closing the device (Engine::closeDevice): once the device has stopped calling back,
//   reclaim(true) frees every retired graph regardless of the epoch.
//
// The mutex guards only the active pointer, the retired list and the wake-up; it is
// taken by the UI and decoding threads, never by the audio thread.

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

    // UI thread: the graph to keep filled (nullptr: none). A graph passed here must have
    // been filled on the UI thread only so far: from now on this class is its producer.
    void setActive(std::shared_ptr<PlaybackGraph> graph);
    // UI thread: a graph queued to follow the active one, filled after it (nullptr: none).
    // The same hand-over as setActive(): from now on this class is its producer.
    void setNext(std::shared_ptr<PlaybackGraph> graph);
    // UI thread: a graph already unpublished that the callback may still be reading; `epoch`
    // is the mixer's epoch read after unpublishing it.
    void retire(std::shared_ptr<PlaybackGraph> graph, uint64_t epoch);
    // Without an own thread: one refill and clean-up pass on the calling thread. With one,
    // only wakes it: a ring has one producer.
    void service();
    // One refill pass on the calling thread even beside an own thread, which waits for it:
    // the passes take turns, so each ring still has one producer at a time (offline render).
    void refillNow();
    // UI or decoding thread: frees retired graphs the callback has let go of; with `all`,
    // every one (only once the device no longer calls back).
    void reclaim(bool all);
    // Any thread but the audio thread (tests).
    std::size_t retiredCount();

private:
    void run();
    void pass();
    void kick();
    void replace(std::shared_ptr<PlaybackGraph>& held, std::shared_ptr<PlaybackGraph> graph);

    const Mixer& mixer_;
    std::mutex mutex_;
    std::mutex passMutex_; // one pass at a time; never taken by the audio thread
    std::condition_variable wake_;
    bool stopping_ = false;
    bool kicked_ = false;
    std::shared_ptr<PlaybackGraph> active_;
    std::shared_ptr<PlaybackGraph> next_;
    struct Retired {
        std::shared_ptr<PlaybackGraph> graph;
        uint64_t epoch;
    };
    std::vector<Retired> retired_;
    std::thread thread_;
};

} // namespace vl::engine
