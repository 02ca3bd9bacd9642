#pragma once
// The one-message mailbox between the MIDI driver's thread and the UI thread. The driver
// thread only stores; the UI thread reads after it has seen `pending`. A newer message
// overwrites an older one that was not taken yet.

#include <atomic>
#include <cstdint>

namespace vl {

struct MidiMessage {
    int channel = 0; // status AND 0x0F
    int status = 0;  // the whole status byte, channel included
    int data1 = 0;
    int data2 = 0;
};

struct MidiInbox {
    std::atomic<int> channel{0};
    std::atomic<int> status{0};
    std::atomic<int> data1{0};
    std::atomic<int> data2{0};
    std::atomic<bool> pending{false};

    // UI thread, after `pending` was seen set.
    MidiMessage read() const {
        return {channel.load(std::memory_order_relaxed), status.load(std::memory_order_relaxed),
                data1.load(std::memory_order_relaxed), data2.load(std::memory_order_relaxed)};
    }
    bool hasMessage() const { return pending.load(std::memory_order_acquire); }
    void clear() { pending.store(false, std::memory_order_relaxed); }
};

// The driver thread's whole work per message: `message` packs status | data1 << 8 |
// data2 << 16. Five stores, `pending` last; no lock, no allocation. `inbox` is a MidiInbox.
void midiInputCallback(void* inbox, uint32_t message) noexcept;

// A message of one to three bytes packed as above; bytes past `size` count as 0.
uint32_t packShortMessage(const unsigned char* bytes, std::size_t size) noexcept;

} // namespace vl
