#pragma once
// Generated songs for transport tests: a song folder with a program file and a tone of a
// given length as a 16-bit stereo WAV file at 44,100 Hz.

#include <filesystem>
#include <string>

namespace vl::test {

void writeToneWave(const std::filesystem::path& path, double seconds, double hz);
// Silence with a click (ten samples at half scale) every `every` seconds, the first at `every`.
void writeClickWave(const std::filesystem::path& path, double seconds, double every);

// songsRoot/song/{song.p, tone.wav, inf}; the program plays tone.wav on track 1.
void writeToneSong(const std::filesystem::path& songsRoot, const std::string& song, double seconds);

} // namespace vl::test
