#pragma once
// What fills a track's ring: a decoded audio file or a rendered MIDI file. Used by one
// thread at a time: the UI thread while VL_Play builds the graph, the decoding thread after.

#include <cstddef>
#include <cstdint>

namespace vl::engine {

class StereoRing;

class TrackSource {
public:
    virtual ~TrackSource() = default;
    // Writes at most `budget` frames into the ring; returns how many were written.
    virtual std::size_t fill(StereoRing& ring, std::size_t budget) = 0;
    // True once every frame of the track has been written out.
    virtual bool finished() const = 0;
    // The track's whole length in song bytes, as far as it really holds audio.
    virtual uint32_t lengthSongBytes() const = 0;
};

} // namespace vl::engine
