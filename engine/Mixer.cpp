#include "engine/Mixer.h"

#include "engine/RealtimeThread.h"
#include "engine/playback/PlaybackGraph.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace vl::engine {

namespace {

// Only the callback raises a peak and only a reader lowers it (to 0), so a reading never
// misses a louder sample for long; compare-and-swap keeps it lock-free.
void raisePeak_RT(std::atomic<float>& peak, float level) {
    float seen = peak.load(std::memory_order_relaxed);
    while (level > seen && !peak.compare_exchange_weak(seen, level, std::memory_order_relaxed)) {
    }
}

} // namespace

void Mixer::takePeaks(float* peaks, int count) {
    for (int c = 0; c < count && c < kOutputChannels; ++c)
        peaks[c] = peaks_[static_cast<std::size_t>(c)].exchange(0.0f, std::memory_order_relaxed);
}

void Mixer::render_RT(float* const* channels, int frames) {
    AudioCallbackScope scope;
    const auto started = std::chrono::steady_clock::now();
    epoch_.fetch_add(1, std::memory_order_seq_cst);
    PlaybackGraph* graph = graph_.load(std::memory_order_seq_cst);
    if (graph) graph->stampBlock_RT(std::chrono::duration_cast<std::chrono::nanoseconds>(started.time_since_epoch()).count());
    for (int offset = 0; offset < frames;) {
        int n = std::min(frames - offset, kMaxChunkFrames);
        graph = followQueued_RT(graph, n);
        float* chunk[kOutputChannels];
        for (int c = 0; c < kOutputChannels; ++c)
            chunk[c] = channels[c] + offset;
        renderChunk_RT(graph, chunk, n);
        offset += n;
    }
    epoch_.fetch_add(1, std::memory_order_seq_cst);

    const auto nanos = static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - started)
            .count());
    counters_.blocks.fetch_add(1, std::memory_order_relaxed);
    counters_.frames.fetch_add(static_cast<uint64_t>(frames), std::memory_order_relaxed);
    counters_.callbackNanos.fetch_add(nanos, std::memory_order_relaxed);
    if (nanos > counters_.maxCallbackNanos.load(std::memory_order_relaxed))
        counters_.maxCallbackNanos.store(nanos, std::memory_order_relaxed);
}

PlaybackGraph* Mixer::followQueued_RT(PlaybackGraph* graph, int& frames) {
    PlaybackGraph* next = next_.load(std::memory_order_seq_cst);
    if (!graph || !next) return graph;
    const uint64_t clock = graph->clockFrames(), at = nextAt_.load(std::memory_order_relaxed);
    if (clock < at) {
        frames = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(frames), at - clock));
        return graph;
    }
    // Only in place of the graph it was queued behind: a stop meanwhile wins.
    PlaybackGraph* expected = graph;
    if (!graph_.compare_exchange_strong(expected, next, std::memory_order_seq_cst)) return graph;
    PlaybackGraph* queued = next;
    next_.compare_exchange_strong(queued, nullptr, std::memory_order_seq_cst);
    return next;
}

void Mixer::renderChunk_RT(PlaybackGraph* graph, float* const* channels, int frames) {
    for (int c = 0; c < kOutputChannels; ++c)
        std::fill(channels[c], channels[c] + frames, 0.0f);
    if (!graph) return;
    const float master = masterVolume_.load(std::memory_order_relaxed);
    for (const auto& track : graph->tracks())
        track->mix_RT(left_, right_, channels, frames, master, counters_.underruns);
    graph->writeTimecode_RT(left_, right_, channels, frames, counters_.underruns);
    graph->advanceClock_RT(frames);
    // Clip, never wrap: an overloaded mix distorts instead of cracking. A NaN from a broken
    // float file becomes silence. The meters see the level before the clipping.
    for (int c = 0; c < kOutputChannels; ++c) {
        float* out = channels[c];
        float peak = 0.0f;
        for (int i = 0; i < frames; ++i) {
            const float v = out[i];
            const float level = std::fabs(v);
            peak = level > peak ? level : peak;
            out[i] = v >= -1.0f ? (v > 1.0f ? 1.0f : v) : (v < -1.0f ? -1.0f : 0.0f);
        }
        raisePeak_RT(peaks_[static_cast<std::size_t>(c)], peak);
    }
}

} // namespace vl::engine
