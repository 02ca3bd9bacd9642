#include "engine/timecode/LtcSource.h"

#include "engine/AudioFormat.h"
#include "engine/playback/StereoRing.h"

#include <ltc.h>

#include <algorithm>
#include <cstring>

namespace vl::engine::timecode {

namespace {

constexpr int kHalfCellsPerFrame = 2 * LTC_FRAME_BIT_COUNT;
constexpr std::size_t kChunkFrames = 2048;
using Wide = __int128;

LTC_TV_STANDARD standardOf(const TimecodeRate& rate) {
    if (rate.nominal == 25) return LTC_TV_625_50;
    return rate.nominal == 24 ? LTC_TV_FILM_24 : LTC_TV_525_60;
}

Wide ceilDiv(Wide a, Wide b) {
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

} // namespace

LtcSource::LtcSource(const TimecodeRate& rate, int64_t startIndex, uint64_t startFrame, int outputRate,
                     float level)
    : rate_(rate), startIndex_(startIndex), startFrame_(startFrame), outputRate_(outputRate), level_(level),
      chunk_(kChunkFrames * 2) {
    // The half cell sample 0 lies in: the last one that starts at or before it.
    const Wide perCell = Wide{kSampleRate} * outputRate_ * rate_.den;
    const Wide at = Wide(startFrame_) * outputRate_ * kHalfCellsPerFrame * rate_.num;
    cell_ = static_cast<int64_t>(at / perCell);
    enter(cell_);
    nextBoundary_ = firstSampleOf(cell_ + 1);
}

int64_t LtcSource::firstSampleOf(int64_t cell) const {
    const Wide cellStart = Wide(cell) * kSampleRate * outputRate_ * rate_.den;
    const Wide origin = Wide(startFrame_) * outputRate_ * kHalfCellsPerFrame * rate_.num;
    return static_cast<int64_t>(ceilDiv(cellStart - origin, Wide{kSampleRate} * kHalfCellsPerFrame * rate_.num));
}

void LtcSource::loadFrame(int64_t songFrame) {
    const TimecodeLabel label = labelOf(startIndex_ + songFrame, rate_);
    LTCFrame frame;
    ltc_frame_reset(&frame);
    frame.dfbit = rate_.drop ? 1 : 0;
    SMPTETimecode time{};
    time.hours = static_cast<unsigned char>(label.hours);
    time.mins = static_cast<unsigned char>(label.minutes);
    time.secs = static_cast<unsigned char>(label.seconds);
    time.frame = static_cast<unsigned char>(label.frames);
    ltc_time_to_frame(&frame, &time, standardOf(rate_), 0);
    static_assert(sizeof(LTCFrame) >= 10);
    std::memcpy(bits_.data(), &frame, bits_.size());
    loadedFrame_ = songFrame;
}

void LtcSource::enter(int64_t cell) {
    const int64_t frame = cell / kHalfCellsPerFrame;
    const int within = static_cast<int>(cell % kHalfCellsPerFrame);
    if (frame != loadedFrame_) loadFrame(frame);
    const int bit = within / 2;
    // Biphase mark: the level turns at every bit's start, and in its middle for a one.
    const bool one = (bits_[static_cast<std::size_t>(bit / 8)] >> (bit % 8)) & 1;
    if (within % 2 == 0 || one) sign_ = -sign_;
}

std::size_t LtcSource::fill(StereoRing& ring, std::size_t budget) {
    std::size_t pushed = 0;
    while (pushed < budget) {
        const std::size_t n = std::min({budget - pushed, ring.writable(), kChunkFrames});
        if (n == 0) break;
        for (std::size_t i = 0; i < n; ++i, ++sample_) {
            while (sample_ >= nextBoundary_) {
                enter(++cell_);
                nextBoundary_ = firstSampleOf(cell_ + 1);
            }
            chunk_[2 * i] = chunk_[2 * i + 1] = sign_ * level_;
        }
        pushed += ring.write(chunk_.data(), n);
    }
    return pushed;
}

} // namespace vl::engine::timecode
