#include "midi/MidiInbox.h"

namespace vl {

bool MidiInbox::push(uint32_t packed) noexcept {
    const uint64_t written = written_.load(std::memory_order_relaxed);
    if (written - read_.load(std::memory_order_acquire) >= kCapacity) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    ring_[written & (kCapacity - 1)] = packed;
    written_.store(written + 1, std::memory_order_release);
    return true;
}

bool MidiInbox::take(MidiMessage& message) noexcept {
    const uint64_t read = read_.load(std::memory_order_relaxed);
    if (read == written_.load(std::memory_order_acquire)) return false;
    const uint32_t p = ring_[read & (kCapacity - 1)];
    read_.store(read + 1, std::memory_order_release);
    message = {static_cast<int>(p & 0x0F), static_cast<int>(p & 0xFF), static_cast<int>((p >> 8) & 0xFF),
               static_cast<int>((p >> 16) & 0xFF)};
    return true;
}

bool MidiInbox::hasMessage() const noexcept {
    return read_.load(std::memory_order_relaxed) != written_.load(std::memory_order_acquire);
}

void MidiInbox::clear() noexcept { read_.store(written_.load(std::memory_order_acquire), std::memory_order_release); }

bool isRemoteMessage(uint32_t packed) noexcept {
    const uint32_t status = packed & 0xFF;
    if (status >= 0x80 && status < 0xF0) return true;
    return status == 0xF2 || status == 0xF3 || status == 0xF6; // song position, song select, tune request
}

void midiInputCallback(void* inbox, uint32_t message) noexcept {
    if (isRemoteMessage(message)) static_cast<MidiInbox*>(inbox)->push(message);
}

uint32_t packShortMessage(const unsigned char* bytes, std::size_t size) noexcept {
    uint32_t packed = 0;
    for (std::size_t i = 0; i < size && i < 3; ++i)
        packed |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return packed;
}

} // namespace vl
