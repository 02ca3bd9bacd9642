// A song folder's timecode start file, whatever it holds: a label read is in range and
// reads back the same from the text written for it.
#include "songs/TimecodeStartFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto start = vl::parseTimecodeStart(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!start) return 0;
    if (start->hours > 23 || start->minutes > 59 || start->seconds > 59 || start->frames > vl::kHighestTimecodeFrame ||
        start->hours < 0 || start->minutes < 0 || start->seconds < 0 || start->frames < 0)
        std::abort();
    const QByteArray again = vl::formatTimecodeStart(*start).toLatin1();
    if (vl::parseTimecodeStart(std::string_view(again.constData(), std::size_t(again.size()))) != start) std::abort();
    return 0;
}
