#include "engine/midi/MidiTextBuilder.h"

#include <algorithm>

namespace vl::engine::midi {

namespace {

// Completed lines shown before the current one, and coming lines the view can show.
constexpr std::size_t kRecentLines = 4;
constexpr std::size_t kComingLines = 4;

bool isBreak(char c) { return c == '/' || c == '\\' || c == '\n'; }

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

std::size_t breaksIn(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), isBreak));
}

} // namespace

MidiTextSet midiTextBuilder(const MidiSong& song, int kind, uint32_t now) {
    MidiTextSet out;
    const std::vector<MidiMark>& marks = song.marksOf(resolve(song, kind));
    // Marks are in time order; the first one after `now` already counts as sung.
    const auto future = static_cast<std::size_t>(
        std::upper_bound(marks.begin(), marks.end(), now,
                         [](uint32_t at, const MidiMark& m) { return at < m.songBytes; }) -
        marks.begin());
    const std::size_t sungEnd = std::min(future + 1, marks.size());

    // Only the last lines sung are shown, so the text starts far enough back to hold the
    // breaks before them; from the song's start when it has fewer.
    std::size_t from = sungEnd;
    for (std::size_t breaks = 0; from > 0 && breaks <= kRecentLines;)
        breaks += breaksIn(marks[--from].text);
    std::string sung; // what is sung up to now, with the syllable being reached
    for (std::size_t i = from; i < sungEnd; ++i)
        sung += marks[i].text;
    for (std::size_t i = sungEnd, breaks = 0; i < marks.size() && breaks < kComingLines; ++i) {
        out.upcomingText += marks[i].text;
        breaks += breaksIn(marks[i].text);
    }
    breakLines(sung);
    breakLines(out.upcomingText);
    // Past the last coming line the view shows "..." whatever follows.
    std::size_t cut = 0;
    for (std::size_t n = 0; n < kComingLines && cut != std::string::npos; ++n)
        cut = out.upcomingText.find('\n', n == 0 ? 0 : cut + 1);
    if (cut != std::string::npos) out.upcomingText.resize(cut + 1);

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
