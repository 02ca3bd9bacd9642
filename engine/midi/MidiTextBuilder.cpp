#include "engine/midi/MidiTextBuilder.h"

#include <algorithm>

namespace vl::engine::midi {

namespace {

void breakLines(std::string& text) {
    std::replace(text.begin(), text.end(), '/', '\n');
    std::replace(text.begin(), text.end(), '\\', '\n');
}

MarkKind resolve(const MidiSong& song, int kind) {
    if (kind == static_cast<int>(MarkKind::Lyric) || kind == static_cast<int>(MarkKind::Text))
        return static_cast<MarkKind>(kind);
    if (kind != 0) return MarkKind::Marker;
    if (!song.marksOf(MarkKind::Lyric).empty()) return MarkKind::Lyric;
    if (!song.marksOf(MarkKind::Text).empty()) return MarkKind::Text;
    return MarkKind::Marker;
}

} // namespace

MidiTextSet midiTextBuilder(const MidiSong& song, int kind, uint32_t now) {
    MidiTextSet out;
    std::string sung; // what is sung up to now, with the syllable being reached
    bool firstFutureTaken = false;
    for (const MidiMark& mark : song.marksOf(resolve(song, kind))) {
        if (mark.songBytes <= now) {
            sung += mark.text;
        } else if (firstFutureTaken) {
            out.upcomingText += mark.text;
        } else {
            firstFutureTaken = true;
            sung += mark.text;
        }
    }
    breakLines(sung);
    breakLines(out.upcomingText);

    const std::size_t lastBreak = sung.rfind('\n');
    out.currentLine = lastBreak == std::string::npos ? sung : sung.substr(lastBreak + 1);
    const auto breaks = static_cast<std::size_t>(std::count(sung.begin(), sung.end(), '\n'));
    // At most the four completed lines before the current one; while the first lines play,
    // the very first one stays until the third begins.
    std::size_t recentFrom = 0;
    if (breaks >= 2) {
        const std::size_t skip = breaks >= 5 ? breaks - 5 : 0; // breaks before the fifth-last
        std::size_t at = sung.find('\n');
        for (std::size_t i = 0; i < skip; ++i)
            at = sung.find('\n', at + 1);
        recentFrom = at + 1;
    }
    if (lastBreak != std::string::npos && lastBreak + 1 > recentFrom)
        out.recentLines = sung.substr(recentFrom, lastBreak + 1 - recentFrom);
    return out;
}

} // namespace vl::engine::midi
