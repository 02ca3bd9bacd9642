// Any bytes as a track file: opening, measuring, seeking and decoding never crash, hang or
// allocate without bound, whatever the header claims, through libsndfile and through FFmpeg
// (which gets every file libsndfile refuses: MP4, raw AAC, ASF, Matroska, ...).
#include "engine/playback/StereoRing.h"
#include "engine/playback/TrackDecoder.h"

#include "MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile file("track", data, size);
    if (!file.ok()) return 0;
    std::string why;
    if (auto decoder = vl::engine::TrackDecoder::open(file.path(), 44100, &why)) {
        const uint32_t length = decoder->lengthSongBytes();
        vl::engine::StereoRing ring(1 << 14);
        // A start near the beginning, then one in the middle after some playing.
        for (const uint64_t frame : {uint64_t{size % 1000}, uint64_t{length} / 8}) {
            if (!decoder->seek(frame)) continue;
            // Bounded: a header may promise hours of audio.
            for (int pass = 0; pass < 16 && !decoder->finished(); ++pass) {
                decoder->fill(ring, ring.writable());
                ring.skip(ring.readable());
            }
        }
    }
    return 0;
}
