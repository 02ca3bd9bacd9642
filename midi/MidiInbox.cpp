#include "midi/MidiInbox.h"

#include <cstddef>

namespace vl {

void midiInputCallback(void* inbox, uint32_t message) noexcept {
    auto& box = *static_cast<MidiInbox*>(inbox);
    box.channel.store(static_cast<int>(message & 0x0F), std::memory_order_relaxed);
    box.status.store(static_cast<int>(message & 0xFF), std::memory_order_relaxed);
    box.data1.store(static_cast<int>((message >> 8) & 0xFF), std::memory_order_relaxed);
    box.data2.store(static_cast<int>((message >> 16) & 0xFF), std::memory_order_relaxed);
    box.pending.store(true, std::memory_order_release);
}

uint32_t packShortMessage(const unsigned char* bytes, std::size_t size) noexcept {
    uint32_t packed = 0;
    for (std::size_t i = 0; i < size && i < 3; ++i)
        packed |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return packed;
}

} // namespace vl
