#pragma once
// The settings the main window, dark mode and transport read, at the defaults a first
// start gives them. The settings window edits and keeps them.

#include <QString>

#include <array>

namespace vl {

struct StageOptions {
    QString doubleClickAction = QStringLiteral("lyric"); // "program editor", "lyric editor", "lyric", "play / stop"
    QString setlistTextSize = QStringLiteral("12");
    std::array<bool, 8> globalMute{};
    std::array<int, 4> subgroupOutput{0, 1, 2, 3};
    bool midiMasterVolumeEnabled = false;
    bool noMidiFileToMidiOut = true;
    bool playShowsLyric = false;
    bool lyricSecondWindowBox = false;
};

} // namespace vl
