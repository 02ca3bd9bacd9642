// Any bytes as a song's video file: opening, seeking, decoding and fitting the pictures to a
// window never crash or hang, whatever the container and the stream claim.
#include "engine/video/VideoDecoder.h"
#include "engine/video/VideoScaler.h"

extern "C" {
#include <libavutil/frame.h>
}

#include "MemoryFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile file("video", data, size);
    if (!file.ok()) return 0;
    if (auto decoder = vl::engine::VideoDecoder::open(file.path())) {
        decoder->seek(static_cast<uint32_t>(size % 7) * 176400);
        vl::engine::VideoScaler scaler;
        uint32_t due = 0;
        // Bounded: a stream may claim hours of pictures.
        for (int i = 0; i < 16; ++i) {
            const vl::engine::FramePtr picture = decoder->next(due);
            if (!picture) break;
            VL_VideoFrame out{};
            scaler.convert(*picture, decoder->displayAspect(), 64 + i, 48, out);
        }
    }
    return 0;
}
