#pragma once
// Linear timecode as a track: the SMPTE code of the song's position, biphase-mark
// modulated at the device's rate into both channels of the track's ring. libltc builds
// each 80-bit frame (BCD fields, drop-frame flag, parity); the edges are placed here from
// the song's position in exact integer arithmetic, so frame n starts on the sample where
// the song's time says it belongs, at any rate and after any start, without drift.
// Written ahead by whichever thread fills the track (see TrackSource).

#include "engine/playback/TrackSource.h"
#include "engine/timecode/TimecodeRate.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vl::engine::timecode {

class LtcSource final : public TrackSource {
public:
    // `startIndex`: the frame count of the song's timecode start (song time 0); `startFrame`:
    // where playing starts, in 44.1 kHz frames; `level`: the square wave's amplitude.
    LtcSource(const TimecodeRate& rate, int64_t startIndex, uint64_t startFrame, int outputRate, float level);

    std::size_t fill(StereoRing& ring, std::size_t budget) override;
    bool finished() const override { return false; } // runs as long as the song plays
    uint32_t lengthSongBytes() const override { return 0; } // adds nothing to the song's length

private:
    // The first sample (counted from the start) that lies in half bit cell `cell`, counted
    // from song time 0.
    int64_t firstSampleOf(int64_t cell) const;
    void enter(int64_t cell);
    void loadFrame(int64_t songFrame);

    const TimecodeRate rate_;
    const int64_t startIndex_;
    const uint64_t startFrame_;
    const int outputRate_;
    const float level_;

    int64_t sample_ = 0;       // the next sample to write
    int64_t cell_ = 0;         // the half bit cell that sample lies in
    int64_t nextBoundary_ = 0; // the first sample of the next half cell
    int64_t loadedFrame_ = -1; // song frame whose bits are in bits_
    std::array<uint8_t, 10> bits_{};
    float sign_ = 1.0f;
    std::vector<float> chunk_; // interleaved stereo
};

} // namespace vl::engine::timecode
