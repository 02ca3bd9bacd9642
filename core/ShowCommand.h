#pragma once
// What a key, button, MIDI control, OSC message or the web page asks for.

#include <QString>

namespace vl {

struct ShowCommand {
    enum class Kind { Play, Stop, PlayPause, Next, Previous, SelectRow, SelectTitle, Locate,
                      ShowLyric, HideLyric, DarkMode, Master, LoadSetlist, PlayAt };
    Kind kind = Kind::Stop;
    int number = 0;   // SelectRow: the row, 1-based; DarkMode: 1 on, 0 off
    double value = 0; // Locate, PlayAt: seconds into the song; Master: 0..1
    QString text;     // SelectTitle, PlayAt: the song's title; LoadSetlist: the setlist's name
};

} // namespace vl
