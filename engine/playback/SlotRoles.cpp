#include "engine/playback/SlotRoles.h"

#include "engine/media/MediaInput.h"

#include <cctype>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vl::engine {

namespace {

int firstSlotContaining(const std::array<TrackSlot, kSlotCount + 1>& slots,
                        std::initializer_list<std::string_view> marks) {
    for (int i = 1; i <= kSlotCount; ++i) {
        const std::string_view name = slots[i].name();
        if (name.size() <= 4) continue;
        for (std::string_view mark : marks)
            if (name.find(mark) != std::string_view::npos) return i;
    }
    return 0;
}

bool endsWithVideoExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string ext(name.substr(dot));
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (std::string_view known : {".mpg", ".mpeg", ".avi", ".wmv", ".mp4", ".m4v", ".mkv", ".mov", ".webm"})
        if (ext == known) return true;
    return false;
}

int firstVideoSlot(const std::array<TrackSlot, kSlotCount + 1>& slots) {
    const int marked = firstSlotContaining(slots, {".mpg", ".MPG", ".avi", ".AVI", ".wmv", ".WMV"});
    for (int i = 1; i <= kSlotCount; ++i) {
        if (i == marked) return i;
        if (slots[i].name().size() > 4 && endsWithVideoExtension(slots[i].name()) &&
            !soundOnly(std::string(slots[i].name())))
            return i;
    }
    return 0;
}

} // namespace

SlotRoles classifySlots(const std::array<TrackSlot, kSlotCount + 1>& slots) {
    return {firstSlotContaining(slots, {".mid", ".MID", ".kar", ".KAR"}),
            firstVideoSlot(slots)};
}

} // namespace vl::engine
