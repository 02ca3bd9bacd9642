// Any bytes as a track file: opening, measuring, seeking and decoding never crash, hang or
// allocate without bound, whatever the header claims.
#include "engine/playback/StereoRing.h"
#include "engine/playback/TrackDecoder.h"

#include "MemoryFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile file("track", data, size);
    if (!file.ok()) return 0;
    if (auto decoder = vl::engine::TrackDecoder::open(file.path())) {
        (void)decoder->lengthSongBytes();
        vl::engine::StereoRing ring(1 << 14);
        if (decoder->seek(size % 1000)) {
            // Bounded: a header may promise hours of audio.
            for (int pass = 0; pass < 32 && !decoder->finished(); ++pass) {
                decoder->fill(ring, ring.writable());
                ring.skip(ring.readable());
            }
        }
    }
    return 0;
}
