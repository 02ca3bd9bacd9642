#include "engine/midi/MidiFile.h"

#include "engine/midi/MidiLineCap.h"
#include "engine/midi/MidiTextEncoding.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

namespace vl::engine::midi {

namespace {

constexpr double kFramesPerSecond = 44100.0;
constexpr uint32_t kDefaultTempo = 500000; // microseconds per quarter note: 120 bpm
// Past this every position reads as the end of the 32-bit song byte range.
constexpr uint64_t kMaxFrames = uint64_t{std::numeric_limits<uint32_t>::max()} / 4 + 1;

enum class What : uint8_t { Channel, Sysex, Tempo, Text, Other };

// One event as found in a track, before the tempo map gives it a time.
struct RawEvent {
    uint64_t tick;
    uint16_t track;
    What what;
    uint8_t status, data1, data2; // Text: data1 is the meta type
    uint32_t offset, size;        // into the file: sysex or text bytes; Tempo: offset is the tempo
};

class ByteReader {
public:
    ByteReader(std::span<const uint8_t> bytes, std::size_t from, std::size_t to)
        : bytes_(bytes), pos_(from), end_(std::min(to, bytes.size())) {}
    bool atEnd() const { return pos_ >= end_; }
    std::size_t pos() const { return pos_; }
    std::size_t left() const { return end_ - pos_; }
    uint8_t peek() const { return bytes_[pos_]; }
    bool byte(uint8_t& out) {
        if (atEnd()) return false;
        out = bytes_[pos_++];
        return true;
    }
    // A variable-length quantity: at most four bytes, seven bits each.
    bool vlq(uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!byte(b)) return false;
            out = (out << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool skip(std::size_t n) {
        if (n > left()) return false;
        pos_ += n;
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
    std::size_t pos_, end_;
};

uint32_t be32(std::span<const uint8_t> b, std::size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}
uint16_t be16(std::span<const uint8_t> b, std::size_t at) {
    return static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
}
bool chunkIs(std::span<const uint8_t> b, std::size_t at, const char (&id)[5]) {
    return std::equal(id, id + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

// Reads one track's events. A broken event ends the track: what came before it stays.
void readTrack(std::span<const uint8_t> file, std::size_t from, std::size_t to, uint16_t track,
               std::vector<RawEvent>& out) {
    ByteReader r(file, from, to);
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!r.atEnd()) {
        uint32_t delta;
        if (!r.vlq(delta) || r.atEnd()) return;
        tick += delta;
        uint8_t status = r.peek();
        if (status == 0xFF) {
            r.skip(1);
            uint8_t type;
            uint32_t len;
            if (!r.byte(type) || !r.vlq(len) || len > r.left()) return;
            const auto at = static_cast<uint32_t>(r.pos());
            if (type == 0x51 && len >= 3) {
                const uint32_t tempo = uint32_t{file[at]} << 16 | uint32_t{file[at + 1]} << 8 | file[at + 2];
                out.push_back({tick, track, What::Tempo, 0, 0, 0, tempo, 0});
            } else if (type == 0x01 || type == 0x05 || type == 0x06) {
                out.push_back({tick, track, What::Text, 0, type, 0, at, len});
            } else {
                out.push_back({tick, track, What::Other, 0, type, 0, 0, 0}); // counts towards the length
            }
            r.skip(len);
            if (type == 0x2F) return; // end of track
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            r.skip(1);
            uint32_t len;
            if (!r.vlq(len) || len > r.left()) return;
            // F7 packets continue or escape a message; only whole F0 messages are kept.
            out.push_back({tick, track, status == 0xF0 ? What::Sysex : What::Other, status, 0, 0,
                           static_cast<uint32_t>(r.pos()), len});
            r.skip(len);
            continue;
        }
        if (status & 0x80) {
            if (status > 0xEF) return; // real-time and common messages have no place in a file
            r.skip(1);
            running = status;
        } else if (running) {
            status = running; // running status: this byte is the first data byte
        } else {
            return;
        }
        const int dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        uint8_t data[2] = {0, 0};
        for (int i = 0; i < dataBytes; ++i)
            if (!r.byte(data[i]) || (data[i] & 0x80)) return;
        out.push_back({tick, track, What::Channel, status, data[0], data[1], 0, 0});
    }
}

std::string_view textAt(std::span<const uint8_t> file, const RawEvent& e) {
    return {reinterpret_cast<const char*>(file.data()) + e.offset, e.size};
}

// Marker, lyric and text events become marks. In a karaoke file without lyric events the
// text events of its words track (the one with the most of them) carry the syllables; its
// "@" lines are title and version, not song text, and other tracks' texts are no lyric.
void collectMarks(std::span<const uint8_t> file, const std::vector<RawEvent>& events,
                  const std::vector<uint64_t>& frames, bool karaoke, MidiSong& song) {
    bool anyLyric = false, signature = false, utf8 = true;
    std::vector<std::size_t> wordsPerTrack;
    for (const auto& e : events) {
        if (e.what != What::Text) continue;
        const std::string_view t = textAt(file, e);
        anyLyric = anyLyric || e.data1 == 0x05;
        signature = signature || (e.data1 == 0x01 && t.starts_with("@K"));
        utf8 = utf8 && isValidUtf8(t);
        if (e.data1 == 0x01 && !t.starts_with("@")) {
            if (wordsPerTrack.size() <= e.track) wordsPerTrack.resize(e.track + 1u, 0);
            ++wordsPerTrack[e.track];
        }
    }
    const bool textIsLyric = (karaoke || signature) && !anyLyric;
    const auto wordsTrack = static_cast<uint16_t>(
        std::max_element(wordsPerTrack.begin(), wordsPerTrack.end()) - wordsPerTrack.begin());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const RawEvent& e = events[i];
        if (e.what != What::Text) continue;
        const std::string_view raw = textAt(file, e);
        MarkKind kind = e.data1 == 0x05 ? MarkKind::Lyric : e.data1 == 0x06 ? MarkKind::Marker : MarkKind::Text;
        if (kind == MarkKind::Text && textIsLyric) {
            if (raw.starts_with("@") || e.track != wordsTrack) continue;
            kind = MarkKind::Lyric;
        }
        song.marks[static_cast<int>(kind)].push_back({framesToSongBytes(frames[i]), normaliseMidiText(raw, utf8)});
    }
    for (auto& marks : song.marks)
        capLineLengths(marks);
}

} // namespace

uint32_t framesToSongBytes(uint64_t frames) {
    return frames >= kMaxFrames ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(frames * 4);
}

uint32_t MidiSong::lengthSongBytes() const {
    return framesToSongBytes(lengthFrames);
}

double MidiSong::secondsAtTick(double tick) const {
    TempoChange at{0, 0.0, kDefaultTempo};
    for (const TempoChange& change : tempoMap) {
        if (double(change.tick) > tick) break;
        at = change;
    }
    return at.seconds + (tick - double(at.tick)) * double(at.microsPerQuarter) / (1e6 * double(division));
}

MidiReadResult readMidi(std::span<const uint8_t> bytes, bool karaoke) {
    if (bytes.size() > kMaxMidiFileBytes) return {nullptr, MidiReadError::TooLarge};
    if (bytes.size() < 14 || !chunkIs(bytes, 0, "MThd")) return {nullptr, MidiReadError::NotMidi};
    const uint32_t headerLength = be32(bytes, 4);
    if (headerLength < 6) return {nullptr, MidiReadError::NotMidi};
    const uint16_t format = be16(bytes, 8);
    const uint16_t division = be16(bytes, 12);
    if (format > 1) return {nullptr, MidiReadError::UnsupportedFormat};
    if (division & 0x8000) return {nullptr, MidiReadError::SmpteDivision};
    if (division == 0) return {nullptr, MidiReadError::NotMidi};

    std::vector<RawEvent> events;
    uint16_t tracks = 0;
    // Tracks are read whatever the header's count says; a chunk longer than the file is
    // read up to the file's end.
    for (uint64_t at = 8 + uint64_t{headerLength}; at + 8 <= bytes.size();) {
        const uint64_t length = be32(bytes, static_cast<std::size_t>(at + 4));
        if (chunkIs(bytes, static_cast<std::size_t>(at), "MTrk") && tracks < UINT16_MAX) {
            readTrack(bytes, static_cast<std::size_t>(at + 8),
                      static_cast<std::size_t>(std::min<uint64_t>(at + 8 + length, bytes.size())), tracks++, events);
        }
        at += 8 + length;
    }
    if (tracks == 0) return {nullptr, MidiReadError::Truncated};

    // Tracks were appended one after another: a stable sort by tick merges them, keeping
    // the file's order among events of the same tick.
    std::stable_sort(events.begin(), events.end(),
                     [](const RawEvent& a, const RawEvent& b) { return a.tick < b.tick; });

    auto song = std::make_shared<MidiSong>();
    song->division = division;
    std::vector<uint64_t> frames(events.size());
    uint32_t tempo = kDefaultTempo;
    uint64_t segmentTick = 0;
    double segmentSeconds = 0.0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const RawEvent& e = events[i];
        const double seconds =
            segmentSeconds + double(e.tick - segmentTick) * double(tempo) / (1e6 * double(division));
        const double f = std::floor(seconds * kFramesPerSecond);
        frames[i] = f >= double(kMaxFrames) ? kMaxFrames : static_cast<uint64_t>(f);
        song->lengthFrames = std::max(song->lengthFrames, frames[i]);
        switch (e.what) {
        case What::Tempo:
            segmentSeconds = seconds;
            segmentTick = e.tick;
            tempo = e.offset;
            song->tempoMap.push_back({e.tick, seconds, tempo});
            break;
        case What::Channel:
            song->events.push_back({frames[i], e.status, e.data1, e.data2, 0, 0});
            break;
        case What::Sysex: {
            const auto offset = static_cast<uint32_t>(song->sysex.size());
            song->sysex.insert(song->sysex.end(), bytes.begin() + e.offset, bytes.begin() + e.offset + e.size);
            song->events.push_back({frames[i], 0xF0, 0, 0, offset, e.size});
            break;
        }
        default:
            break;
        }
    }
    collectMarks(bytes, events, frames, karaoke, *song);
    return {std::move(song), MidiReadError::None};
}

MidiReadResult readMidiFile(const std::string& path) {
    std::error_code ec;
    // A FIFO or device would block; a directory is no file.
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return {nullptr, MidiReadError::NotMidi};
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return {nullptr, MidiReadError::NotMidi};
    if (size > kMaxMidiFileBytes) return {nullptr, MidiReadError::TooLarge};
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return {nullptr, MidiReadError::Truncated};
    const bool karaoke = path.ends_with(".kar") || path.ends_with(".KAR");
    return readMidi(bytes, karaoke);
}

} // namespace vl::engine::midi
