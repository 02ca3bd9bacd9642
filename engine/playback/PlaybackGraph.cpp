#include "engine/playback/PlaybackGraph.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vl::engine {

namespace {

constexpr std::size_t kRefillChunk = 8192;

// One-sided linear pan: the side away from the pan loses level, the other keeps it.
void panGains(float pan, float& left, float& right) {
    const int p = std::clamp(static_cast<int>(pan), -100, 100);
    left = right = 1.0f;
    if (p < 0)
        right = static_cast<float>(100 + p) * 0.01f;
    else
        left = static_cast<float>(100 - p) * 0.01f;
}

} // namespace

GraphTrack::GraphTrack(const TrackSlot& slot, int slotNumber, std::unique_ptr<TrackSource> decoder,
                       uint64_t startFrame, int outputRate, bool withEffects)
    : slot_(slot), slotNumber_(slotNumber), startFrame_(startFrame), outputRate_(outputRate),
      lengthSongBytes_(decoder->lengthSongBytes()), decoder_(std::move(decoder)),
      ring_(static_cast<std::size_t>(outputRate) * kRingTenthsOfSeconds / 10),
      effects_(withEffects ? std::make_unique<dsp::TrackEffects>(outputRate) : nullptr) {}

uint64_t GraphTrack::positionSongBytes() const {
    const uint64_t played = consumed_.load(std::memory_order_relaxed) * kSampleRate / uint64_t(outputRate_);
    return std::min((startFrame_ + played) * kSongBytesPerFrame, lengthSongBytes_);
}

std::size_t GraphTrack::refill(std::size_t budget) {
    if (decoded_.load(std::memory_order_relaxed)) return 0;
    const std::size_t n = decoder_->fill(ring_, std::min(budget, ring_.writable()));
    if (decoder_->finished()) decoded_.store(true, std::memory_order_release);
    return n;
}

std::size_t GraphTrack::pull_RT(float* left, float* right, int frames, std::atomic<uint64_t>& underruns) {
    // Read the end flag first: once it is seen, every frame of the file is visible.
    const bool decoded = decoded_.load(std::memory_order_acquire);
    if (owed_ > 0) {
        const std::size_t skipped = ring_.skip(owed_);
        owed_ -= skipped;
        consumed_.fetch_add(skipped, std::memory_order_relaxed);
    }
    const auto want = static_cast<std::size_t>(frames);
    const std::size_t got = owed_ > 0 ? 0 : ring_.readPlanar(left, right, want);
    consumed_.fetch_add(got, std::memory_order_relaxed);
    if (got < want) {
        std::fill(left + got, left + want, 0.0f);
        std::fill(right + got, right + want, 0.0f);
        if (!decoded) {
            underruns.fetch_add(1, std::memory_order_relaxed);
            owed_ += want - got;
        } else {
            // Past the audio's end the song's time runs on in silence, so it ends when due.
            consumed_.fetch_add(want - got, std::memory_order_relaxed);
        }
    }
    return got;
}

void GraphTrack::mix_RT(float* left, float* right, float* const* channels, int frames, float master,
                        std::atomic<uint64_t>& underruns) {
    pull_RT(left, right, frames, underruns);
    processEffects_RT(left, right, frames);

    float panLeft, panRight;
    panGains(slot_.pan.load(std::memory_order_relaxed), panLeft, panRight);
    const float gain = master * slot_.gain.load(std::memory_order_relaxed) * kTrackLevel;
    const int pair = slot_.outputPair.load(std::memory_order_relaxed);
    for (auto& g : gains_)
        g.set(0.0f);
    // A pair past the fourth (a damaged song file) is no output at all: the track is silent.
    if (pair < kOutputPairs) {
        gains_[2 * pair].set(panLeft * gain);
        gains_[2 * pair + 1].set(panRight * gain);
    }
    // Every channel gain moves linearly from its last value to the new one over the block, so
    // fader, pan and pair changes never click.
    const float inv = 1.0f / static_cast<float>(frames);
    for (int c = 0; c < kOutputChannels; ++c) {
        const float from = gains_[c].start(), to = gains_[c].target();
        if (from == 0.0f && to == 0.0f) continue;
        const float* src = (c & 1) ? right : left;
        float* out = channels[c];
        if (from == to) {
            for (int i = 0; i < frames; ++i)
                out[i] += src[i] * to;
        } else {
            const float step = (to - from) * inv;
            for (int i = 0; i < frames; ++i)
                out[i] += src[i] * (from + step * static_cast<float>(i + 1));
        }
        gains_[c].finish();
    }
}

std::size_t PlaybackGraph::refill() {
    std::size_t total = 0;
    for (bool progress = true; progress;) {
        progress = false;
        if (timecode_) {
            const std::size_t n = timecode_->refill(kRefillChunk);
            total += n;
            progress = n > 0;
        }
        for (auto& t : tracks_) {
            const std::size_t n = t->refill(kRefillChunk);
            total += n;
            progress = progress || n > 0;
        }
    }
    return total;
}

void PlaybackGraph::writeTimecode_RT(float* left, float* right, float* const* channels, int frames,
                                     std::atomic<uint64_t>& underruns) {
    if (!timecode_) return;
    timecode_->pull_RT(left, right, frames, underruns);
    std::copy(left, left + frames, channels[timecodeChannel_]);
}

uint32_t PlaybackGraph::positionSongBytes() const {
    uint64_t furthest = 0;
    for (const auto& t : tracks_)
        furthest = std::max(furthest, t->positionSongBytes());
    return static_cast<uint32_t>(std::min<uint64_t>(furthest, std::numeric_limits<uint32_t>::max()));
}

uint32_t PlaybackGraph::clockSongBytes() const {
    const uint64_t played = clockFrames_.load(std::memory_order_relaxed) * kSampleRate / uint64_t(clockRate_);
    return static_cast<uint32_t>(
        std::min<uint64_t>((clockStart_ + played) * kSongBytesPerFrame, std::numeric_limits<uint32_t>::max()));
}

} // namespace vl::engine
