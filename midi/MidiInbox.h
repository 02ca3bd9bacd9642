#pragma once
// The queue between the MIDI driver's thread and the UI thread. The driver thread pushes
// every message it is handed; the UI thread takes them all on its next tick, so a pedal
// press is never overwritten by the traffic of a keyboard or a clock on the same port.
// One writer and one reader, no lock, no allocation. When the UI thread has fallen a whole
// queue behind, newer messages are dropped and counted.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vl {

struct MidiMessage {
    int channel = 0; // status AND 0x0F
    int status = 0;  // the whole status byte, channel included
    int data1 = 0;
    int data2 = 0;
};

class MidiInbox {
  public:
    // Over a third of a second of a dense 20,000 messages a second; the UI takes them every 55 ms.
    static constexpr std::size_t kCapacity = 8192;

    // Driver thread: false when the queue is full (the message is counted as dropped).
    bool push(uint32_t packed) noexcept;

    // UI thread: the oldest message not taken yet; false when there is none.
    bool take(MidiMessage& message) noexcept;
    bool hasMessage() const noexcept;
    // Everything not taken yet is thrown away.
    void clear() noexcept;
    // Messages dropped because the queue was full, since the program started.
    uint64_t dropped() const noexcept { return dropped_.load(std::memory_order_relaxed); }

  private:
    static_assert((kCapacity & (kCapacity - 1)) == 0, "a power of two");
    std::array<uint32_t, kCapacity> ring_{};
    alignas(64) std::atomic<uint64_t> written_{0}; // the driver thread's
    alignas(64) std::atomic<uint64_t> read_{0};    // the UI thread's
    std::atomic<uint64_t> dropped_{0};
};

// Whether a message reaches the remote control at all: channel messages and the whole
// system common ones do; system exclusive (and its stray data bytes), time code quarter
// frames and every system real-time byte (clock, start, stop, active sensing, reset) are
// dropped at the door, so a clock or a sysex dump never fills the queue.
bool isRemoteMessage(uint32_t packed) noexcept;

// The driver thread's whole work per message: `message` packs status | data1 << 8 |
// data2 << 16; `inbox` is a MidiInbox. No lock, no allocation.
void midiInputCallback(void* inbox, uint32_t message) noexcept;

// A message of one to three bytes packed as above; bytes past `size` count as 0.
uint32_t packShortMessage(const unsigned char* bytes, std::size_t size) noexcept;

} // namespace vl
