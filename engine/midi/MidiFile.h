#pragma once
// A Standard MIDI File (format 0 or 1, ticks per quarter note) read into what the engine
// plays and shows: channel messages and system exclusive data on a time line of 44.1 kHz
// frames, the file's length, and its marker, lyric and text events. Reading never touches
// memory outside the given bytes, whatever they hold.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vl::engine::midi {

struct MidiEvent {
    uint64_t frame = 0; // 44.1 kHz frames from the start of the song
    uint8_t status = 0; // 0x80..0xEF; 0xF0 for system exclusive
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint32_t sysexOffset = 0; // 0xF0: the message's bytes after F0 in MidiSong::sysex
    uint32_t sysexSize = 0;

    uint8_t channel() const { return status & 0x0F; }
    uint8_t type() const { return status & 0xF0; }
};

// The kinds of text events, numbered as the engine's text calls know them.
enum class MarkKind : int { Marker = 0, Lyric = 2, Text = 3 };

struct MidiMark {
    uint32_t songBytes = 0; // position in song bytes
    std::string text;       // UTF-8, line ends as '\n'
};

// A tempo from `tick` on, and the time that tick is reached.
struct TempoChange {
    uint64_t tick = 0;
    double seconds = 0.0;
    uint32_t microsPerQuarter = 500000;
};

struct MidiSong {
    std::vector<MidiEvent> events; // in playing order
    std::vector<uint8_t> sysex;
    uint64_t lengthFrames = 0;
    std::array<std::vector<MidiMark>, 4> marks; // indexed by MarkKind; slot 1 unused
    uint16_t division = 480;             // ticks per quarter note
    std::vector<TempoChange> tempoMap;   // in tick order; none: 120 bpm throughout

    // Seconds from the song's start to `tick` (a fraction of a tick too) by the tempo map.
    double secondsAtTick(double tick) const;

    uint32_t lengthSongBytes() const;
    const std::vector<MidiMark>& marksOf(MarkKind kind) const { return marks[static_cast<int>(kind)]; }
};

enum class MidiReadError { None, NotMidi, UnsupportedFormat, SmpteDivision, Truncated, TooLarge };

struct MidiReadResult {
    std::shared_ptr<const MidiSong> song; // null on error
    MidiReadError error = MidiReadError::None;
};

// Files larger than this are refused: no song needs one, and a broken one could ask for
// gigabytes of events.
constexpr std::size_t kMaxMidiFileBytes = 16u << 20;

// `karaoke`: treat the file as a karaoke (.kar) file even without its "@K" signature.
MidiReadResult readMidi(std::span<const uint8_t> bytes, bool karaoke = false);
// Reads a regular file; a ".kar" or ".KAR" name marks a karaoke file.
MidiReadResult readMidiFile(const std::string& path);

// 44.1 kHz frame to song bytes, held in the 32-bit range the interface counts in.
uint32_t framesToSongBytes(uint64_t frames);

} // namespace vl::engine::midi
