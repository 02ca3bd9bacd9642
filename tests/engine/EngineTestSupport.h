#pragma once
// Helpers for engine tests: generated audio files and offline rendering on the manual device.

#include "engine/AudioFormat.h"
#include "support/JackRecorder.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vl::engine {
class Engine;
class ManualDevice;
} // namespace vl::engine

namespace vl::test {

// Writes `frames` frames of `channels` channels; sample(frame, channel) gives each value.
// `format` is a libsndfile major|minor format (default 16-bit WAV).
void writeAudio(const std::filesystem::path& path, int rate, int channels, int64_t frames,
                const std::function<float(int64_t, int)>& sample, int format = 0);
// A sine of `hz` at `amplitude` on every channel.
void writeTone(const std::filesystem::path& path, int rate, int channels, double seconds, double hz,
               float amplitude, int format = 0);

// Eight rendered output channels.
using Outputs = std::array<std::vector<float>, vl::engine::kOutputChannels>;
// Renders `frames` frames in blocks of `block`, servicing the decoder before every block
// when the engine has no decoding thread.
Outputs renderFrames(vl::engine::Engine& engine, vl::engine::ManualDevice& device, int frames,
                     int block = 512, bool service = true);
// The engine's device list entry named `name`; -1 when none is.
int deviceEntry(const vl::engine::Engine& engine, const std::string& name);
// Lists the devices and opens the entry named `name`; false when it is not listed.
bool openListed(vl::engine::Engine& engine, const std::string& name);
// The rms of a sine of `amplitude` played as one track at unity gain, centred.
double toneRms(double amplitude);
// Slot k + 1 plays files[k] from `dir` on its output pair at unity gain; the other slots
// name a missing file.
void loadTracks(vl::engine::Engine& engine, const std::filesystem::path& dir,
                const std::vector<std::pair<std::string, uint8_t>>& files);
} // namespace vl::test
