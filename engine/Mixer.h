#pragma once
// The audio callback's side of the engine: mixes the published playback graph into the
// eight output channels, or delivers silence while nothing plays.

#include "engine/AudioFormat.h"
#include "engine/AudioSource.h"
#include "engine/EngineCounters.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace vl::engine {

class PlaybackGraph;

class Mixer final : public AudioSource {
public:
    explicit Mixer(const std::atomic<float>& masterVolume) : masterVolume_(masterVolume) {}
    void render_RT(float* const* channels, int frames) override;

    // UI thread: hands a graph (or nullptr) to the callback; returns the one it replaces.
    PlaybackGraph* publish(PlaybackGraph* graph) { return graph_.exchange(graph, std::memory_order_seq_cst); }
    // UI thread: `next` (or nullptr: none) takes the published graph's place, in the block
    // where that graph's clock reaches `atFrames` device frames: a segue without a gap.
    void queue(PlaybackGraph* next, uint64_t atFrames) {
        nextAt_.store(atFrames, std::memory_order_relaxed);
        next_.store(next, std::memory_order_seq_cst);
    }
    // Any thread: the graph the callback plays now.
    const PlaybackGraph* current() const { return graph_.load(std::memory_order_seq_cst); }
    // Odd while a callback runs; a graph retired at epoch e is free once the epoch is even
    // or has moved past e.
    uint64_t epoch() const { return epoch_.load(std::memory_order_seq_cst); }
    bool callbackLetGo(uint64_t retiredAt) const { return (retiredAt & 1) == 0 || epoch() != retiredAt; }

    // Any thread: the loudest sample of each output channel since the last call, measured
    // before the clipping (above 1.0: the channel clipped); a new measurement begins.
    void takePeaks(float* peaks, int count);

    EngineCounters& counters() { return counters_; }
    const EngineCounters& counters() const { return counters_; }

private:
    void renderChunk_RT(PlaybackGraph* graph, float* const* channels, int frames);
    // The graph to render the next `frames` with: the queued one once its time has come;
    // `frames` is cut so that a chunk ends where the queued graph begins.
    PlaybackGraph* followQueued_RT(PlaybackGraph* graph, int& frames);

    const std::atomic<float>& masterVolume_;
    std::atomic<PlaybackGraph*> graph_{nullptr};
    std::atomic<uint64_t> epoch_{0};
    std::atomic<PlaybackGraph*> next_{nullptr};
    std::atomic<uint64_t> nextAt_{0};
    EngineCounters counters_;
    std::array<std::atomic<float>, kOutputChannels> peaks_{};
    static_assert(std::atomic<float>::is_always_lock_free, "the callback never waits for a reader");
    // Audio thread only: one track's block before it is added to the outputs.
    float left_[kMaxChunkFrames];
    float right_[kMaxChunkFrames];
};

} // namespace vl::engine
