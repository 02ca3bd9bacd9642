#pragma once
// The engine's fixed output format: 44,100 Hz, eight channels as four stereo pairs.

#include <cstdint>

namespace vl::engine {

constexpr int kSampleRate = 44100;
constexpr int kOutputChannels = 8;
constexpr int kOutputPairs = 4;
// The mixer works in chunks of at most this many frames; longer device periods are split.
constexpr int kMaxChunkFrames = 1024;
// One song byte is one byte of 16-bit stereo PCM at 44.1 kHz: four per frame.
constexpr uint32_t kSongBytesPerFrame = 4;

} // namespace vl::engine

namespace vl::engine {
// Decoded full scale plays at 32768 x 0.0000305, just under 1.0: the level mixes were made at.
constexpr float kTrackLevel = 32768.0f * 0.0000305f;
} // namespace vl::engine
