// A lyric's time tags as the follower reads them while the song plays: any text, any
// play position; every tag read must lie inside the text and the scan must end.
#include "lyrics/MidiLyric.h"
#include "lyrics/TimeTags.h"
#include "platform/TextFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose how far the song jumps on every tick.
    const int64_t jump = ((int64_t(data[0]) << 8 | data[1]) + 1) * 4410;
    const QString text = vl::decodeLine(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (const auto tag = vl::readTimeTagAt(text, i)) {
            if (tag->open != i || tag->length < 5 || i + tag->length > text.size()) std::abort();
        }
    }
    vl::LyricFollower follower;
    for (int64_t now = 0; now < 60 * 60 * 44100; now += jump) {
        if (!vl::followTimeTags(follower, text, now)) continue;
        if (follower.segmentStart < 0 || follower.segmentStart > follower.markerEnd ||
            follower.markerEnd > text.size() + 1)
            std::abort();
    }
    (void)vl::comingLyricLines(text);
    return 0;
}
