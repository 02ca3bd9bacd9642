#pragma once
// One of the engine's eight track slots as the UI thread sets it. Gain, pan and output
// pair are read by the audio thread at the next block, so they are atomics.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vl::engine {

constexpr int kSlotCount = 8;
constexpr std::size_t kFileNameCapacity = 255; // NUL included: at most 254 characters

struct TrackSlot {
    std::array<char, kFileNameCapacity> fileName{};
    std::atomic<float> gain{1.0f};
    std::atomic<float> pan{0.0f};
    std::atomic<uint8_t> outputPair{0};

    std::string_view name() const { return {fileName.data(), strnlen(fileName.data(), fileName.size())}; }
    // Clears the name and copies the path in, cut to the slot's capacity.
    void setName(std::string_view path) {
        fileName.fill('\0');
        std::memcpy(fileName.data(), path.data(), std::min(path.size(), kFileNameCapacity - 1));
    }
    void copyFrom(const TrackSlot& other) {
        fileName = other.fileName;
        gain.store(other.gain.load(std::memory_order_relaxed), std::memory_order_relaxed);
        pan.store(other.pan.load(std::memory_order_relaxed), std::memory_order_relaxed);
        outputPair.store(other.outputPair.load(std::memory_order_relaxed), std::memory_order_relaxed);
    }
};

} // namespace vl::engine
