#pragma once
// Generated band parts for the demo songs: a drum loop, a bass line, a chord pad and a
// click, as interleaved stereo float samples at 44,100 Hz. Deterministic: the same song
// always sounds the same.

#include <array>
#include <cstdint>
#include <vector>

namespace vl::demo {

inline constexpr int kSampleRate = 44100;

struct SongStyle {
    double bpm = 100;
    int bars = 12;
    int rootMidi = 40;                 // bass root note of the first chord
    std::array<int, 4> progression{};  // semitones above the root, one chord per bar
    bool minor = false;
    uint32_t seed = 1;
};

using Stereo = std::vector<float>; // interleaved left, right

Stereo drums(const SongStyle& style);
Stereo bass(const SongStyle& style);
Stereo pad(const SongStyle& style);
Stereo click(const SongStyle& style);

// Frames of the song: its bars at its tempo, plus two seconds for the last notes to ring.
int64_t songFrames(const SongStyle& style);

} // namespace vl::demo
