#include "ToneSong.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongProgram.h"
#include "support/TempFolder.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>

namespace vl::test {

namespace {

void put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

} // namespace

// A 16-bit stereo 44,100 Hz WAV file whose both channels carry sample(i).
template <typename Sample>
void writeWave(const std::filesystem::path& path, double seconds, Sample sample) {
    const uint32_t frames = static_cast<uint32_t>(seconds * 44100);
    std::string wav = "RIFF";
    put(wav, 36 + frames * 4, 4);
    wav += "WAVEfmt ";
    put(wav, 16, 4);
    put(wav, 1, 2);          // PCM
    put(wav, 2, 2);          // stereo
    put(wav, 44100, 4);
    put(wav, 44100 * 4, 4);
    put(wav, 4, 2);
    put(wav, 16, 2);
    wav += "data";
    put(wav, frames * 4, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const int16_t v = sample(i);
        put(wav, static_cast<uint16_t>(v), 2);
        put(wav, static_cast<uint16_t>(v), 2);
    }
    writeFile(path, wav);
}

void writeToneWave(const std::filesystem::path& path, double seconds, double hz) {
    writeWave(path, seconds, [hz](uint32_t i) {
        return static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * hz * i / 44100));
    });
}

void writeClickWave(const std::filesystem::path& path, double seconds, double every) {
    const auto step = static_cast<uint32_t>(every * 44100);
    writeWave(path, seconds, [step](uint32_t i) { return static_cast<int16_t>(i >= step && i % step < 10 ? 16384 : 0); });
}

void writeToneSong(const std::filesystem::path& songsRoot, const std::string& song, double seconds) {
    const std::filesystem::path folder = songsRoot / song;
    std::filesystem::create_directories(folder);
    writeToneWave(folder / "tone.wav", seconds, 440);
    SongProgram program;
    program.tracks[0].fileName = "tone.wav";
    program.tracks[0].volume = 0.5f;
    writeTextLines(QString::fromStdString((folder / (song + ".p")).string()),
                   writeProgramLines(program, FileNames::Included));
    const auto bytes = static_cast<int64_t>(seconds * 44100) * 4;
    writeTextLines(QString::fromStdString((folder / "inf").string()), {QString::number(bytes)});
}

} // namespace vl::test
