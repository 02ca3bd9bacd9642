// Any bytes as a track file: opening, measuring, seeking and decoding never crash, hang or
// allocate without bound, whatever the header claims.
#include "engine/playback/StereoRing.h"
#include "engine/playback/TrackDecoder.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An in-memory file that libsndfile opens by path like any other.
    const int fd = memfd_create("track", 0);
    if (fd < 0) return 0;
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (auto decoder = vl::engine::TrackDecoder::open(path)) {
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
    close(fd);
    return 0;
}
