#pragma once
// Hands the newest value of a small trivially copyable record from one writer
// thread to one reader thread without locks (a triple buffer): the writer never
// waits, the reader always gets a complete record, older unread values are dropped.

#include <array>
#include <atomic>
#include <cstdint>
#include <type_traits>

namespace vl::engine::dsp {

template <typename T> class LatestValue {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    explicit LatestValue(const T& initial = T{}) {
        for (auto& slot : slots_)
            slot = initial;
    }

    // Writer thread only.
    void write(const T& value) {
        slots_[back_] = value;
        const uint8_t previous =
            middle_.exchange(static_cast<uint8_t>(back_ | kFresh), std::memory_order_acq_rel);
        back_ = previous & kIndex;
    }

    // Reader thread only: copies the newest value into out; false when nothing new arrived.
    bool read(T& out) {
        if (!(middle_.load(std::memory_order_relaxed) & kFresh)) return false;
        const uint8_t previous = middle_.exchange(front_, std::memory_order_acq_rel);
        front_ = previous & kIndex;
        out = slots_[front_];
        return true;
    }

  private:
    static constexpr uint8_t kIndex = 0x3;
    static constexpr uint8_t kFresh = 0x4;
    std::array<T, 3> slots_{};
    std::atomic<uint8_t> middle_{1};
    uint8_t back_ = 0;  // writer's slot
    uint8_t front_ = 2; // reader's slot
};

} // namespace vl::engine::dsp
