#pragma once
// When the audio callback asked for a block, and which of the graph's device frames the
// block begins with: what the MIDI thread places timecode by, between two callbacks. One
// writer (the audio thread, which never waits) and any number of readers, which try again
// when a write came in between (a sequence lock made of atomics).

#include <atomic>
#include <cstdint>

namespace vl::engine::timecode {

class BlockStamp {
public:
    // Audio thread.
    void write_RT(uint64_t frames, int64_t steadyNanos) {
        const uint64_t s = sequence_.load(std::memory_order_relaxed);
        sequence_.store(s + 1, std::memory_order_relaxed);
        // Release stores, not a fence (which ThreadSanitizer cannot follow): a reader that sees
        // a new value also sees the odd sequence stored before it.
        frames_.store(frames, std::memory_order_release);
        nanos_.store(steadyNanos, std::memory_order_release);
        sequence_.store(s + 2, std::memory_order_release);
    }
    // Any other thread: false until the first block.
    bool read(uint64_t& frames, int64_t& steadyNanos) const {
        for (;;) {
            const uint64_t before = sequence_.load(std::memory_order_acquire);
            frames = frames_.load(std::memory_order_acquire);
            steadyNanos = nanos_.load(std::memory_order_acquire);
            if (before % 2 == 0 && sequence_.load(std::memory_order_relaxed) == before) return before != 0;
        }
    }

private:
    std::atomic<uint64_t> sequence_{0};
    std::atomic<uint64_t> frames_{0};
    std::atomic<int64_t> nanos_{0};
};

} // namespace vl::engine::timecode
