#include "engine/playback/SlotRoles.h"

#include <initializer_list>
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

} // namespace

SlotRoles classifySlots(const std::array<TrackSlot, kSlotCount + 1>& slots) {
    return {firstSlotContaining(slots, {".mid", ".MID", ".kar", ".KAR"}),
            firstSlotContaining(slots, {".mpg", ".MPG", ".avi", ".AVI", ".wmv", ".WMV"})};
}

} // namespace vl::engine
