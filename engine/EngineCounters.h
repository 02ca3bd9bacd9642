#pragma once
// Counters the audio thread keeps for tests and benchmarks: underruns are counted, not hidden.

#include <atomic>
#include <cstdint>

namespace vl::engine {

struct EngineCounters {
    std::atomic<uint64_t> blocks{0};
    std::atomic<uint64_t> frames{0};
    std::atomic<uint64_t> underruns{0};     // track reads the decoder had not filled in time
    std::atomic<uint64_t> callbackNanos{0}; // summed time inside the callback
    std::atomic<uint64_t> maxCallbackNanos{0};

    void reset() {
        for (auto* c : {&blocks, &frames, &underruns, &callbackNanos, &maxCallbackNanos})
            c->store(0, std::memory_order_relaxed);
    }
};

} // namespace vl::engine
