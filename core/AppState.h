#pragma once
// The application-wide state record, created at start-up and alive until exit.

#include "core/ListColours.h"

#include <QString>

#include <array>
#include <string>

namespace vl {

struct MidiControlSlot {
    int status = 0;
    int data1 = 0;
    int data2 = 0;
};

struct AppState {
    std::string interfaceLanguage;
    QString windowTitle;
    QString programFolder; // ends with "/"
    QString setlistPath;
    QString songsRoot;     // ends with "/"
    QString soundFontPath;
    int selectedRow = 1;
    int currentSong = 0;
    int playingSong = 0;
    int startPosition = 0;
    QString lastTimeText;
    int blinkPhase = 0;
    int darkRows = 1;
    int timerTicks = 0;
    QString typeAheadText;
    int dragSourceRow = 0;
    int audioDriverIndex = 0;
    int lyricMode = 0;
    bool lyricSecondWindow = true;
    float masterFactor = 1.0f;
    std::array<int, 17> channelFaders{};
    std::array<MidiControlSlot, 6> midiControls{};
    ListColours colours = ListColours::normal();
};

// "Vellamorinth v2.5", eleven spaces, the product's web address.
inline QString defaultWindowTitle() {
    return QStringLiteral("Vellamorinth v2.5           www.vellamorinth.org");
}

} // namespace vl
