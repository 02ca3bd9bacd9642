#pragma once
// What a key, a button, a MIDI control, an OSC message or the band view's page asks the show
// to do. Every source turns its input into one of these and the interface thread runs it, so
// no remote path behaves differently from the key it stands for.

#include <QString>

#include <cstdint>

namespace vl {

struct ShowCommand {
    enum class Kind { Play, Stop, PlayPause, Next, Previous, SelectRow, SelectTitle, Locate, ShowLyric, HideLyric,
                      DarkMode, Master, LoadSetlist, PlayAt };
    Kind kind = Kind::Stop;
    int number = 0;   // SelectRow: the row, 1-based; DarkMode: 1 on, 0 off
    double value = 0; // Locate, PlayAt: seconds into the song; Master: 0..1
    QString text{};   // SelectTitle, PlayAt: the song's title; LoadSetlist: the setlist's name
    // PlayAt, Locate: the system clock (ns since 1970) at which the song was at `value`, so
    // the time the command took to arrive is made up for; 0: the command's own time.
    int64_t clockNs = 0;
};

} // namespace vl
