#pragma once
// The machine-wide settings and their file "prefs" in the program folder: 64 positional
// lines, labels on lines 1 and 3 doubling as a crash marker.

#include "core/AppState.h"
#include "settings/TimecodeChoice.h"

#include <QString>
#include <QStringList>

#include <array>

namespace vl {

inline bool operator==(const MidiControlSlot& a, const MidiControlSlot& b) {
    return a.status == b.status && a.data1 == b.data1 && a.data2 == b.data2;
}

// Place and inner size of a window as stored; all zero when never stored.
struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool isEmpty() const { return width <= 0 || height <= 0; }
    bool operator==(const WindowRect&) const = default;
};

inline constexpr int kDefaultSegueMs = 1000;
inline constexpr int kMaxSegueMs = 1000;

struct Preferences {
    int audioDriverIndex = 0;
    int midiInIndex = 0;  // 0 = "no driver", k = device k-1
    int midiOutIndex = 0; // likewise
    std::array<int, 4> subgroupOutput{0, 1, 2, 3};
    std::array<bool, 8> globalMute{};
    int screenSizeIndex = 0;
    int doubleClickAction = 2; // "lyric"
    bool playShowsLyric = false;
    QString setlistTextSize = QStringLiteral("12");
    std::array<MidiControlSlot, 4> midiControls{};
    std::array<int, 4> hotkeys{};
    QString setlistPath;
    int skinIndex = 0;
    bool noMidiFileToMidiOut = true;
    bool programChangeSelectsSong = false;
    bool programChangePlays = false;
    bool midiMasterVolumeEnabled = false;
    int midiMasterVolumeChannel = 1;
    bool lyricSecondWindow = false;
    int mainWindowX = 0;
    int mainWindowY = 0;
    int lyricViewX = 0;
    int lyricViewY = 0;
    bool valueSensitive = false;
    bool lyricZoom = true;
    WindowRect playbackWindowRect;
    // The chosen sound card by name: positions change with the cards plugged in and the
    // sound servers running. Empty in files of older versions, which go by the position.
    QString audioDriverName;
    bool jumpToNext = false; // the main window's " jump To Next"
    bool autoPlay = false;   // and " autom. play"
    // The pause between the end of a song and the start of the next by automatic play.
    int segueMs = kDefaultSegueMs;
    // OSC remote control: off unless turned on; the allowed senders (IP addresses) and the
    // feedback addresses (HOST:PORT) separated by commas, an empty list allowing any sender.
    bool oscEnabled = false;
    int oscPort = 9000;
    QString oscAllowedSenders;
    QString oscFeedbackTo;
    // A backup machine: 0 neither, 1 main (sends to the followers, HOST:PORT by commas), 2 follower.
    int showLinkRole = 0;
    QString showLinkFollowers;
    // The band view's web server: off unless turned on, its port and operator PIN.
    bool webEnabled = false;
    int webPort = 8080;
    QString webPin;
    TimecodeChoice timecode;

    bool operator==(const Preferences&) const = default;
};

// Lines 65 on were added later; a file that ends before them reads them as their defaults.
inline constexpr int kPreferencesLineCount = 82;

// Leading blanks, an optional sign and decimal digits; anything else reads as 0.
// Values beyond the int range are held at its ends.
int readNumberLine(const QString& line);

struct PreferencesReadResult {
    bool crashDetected = false;
    bool audioMarked = false; // line 1 was not the plain label
    bool midiMarked = false;  // line 3 was not the plain label
};

// Reads the file's lines over `prefs`, which holds the defaults. A marked label resets
// the drivers it names; missing lines read as empty.
PreferencesReadResult parsePreferences(const QStringList& lines, Preferences& prefs);

// The 64 lines; `clean` writes the plain labels, otherwise the crash-marker labels.
// Line breaks inside the text fields are dropped so that the file stays positional.
QStringList formatPreferences(const Preferences& prefs, bool clean);

inline QString preferencesPath(const QString& programFolder) {
    return programFolder + QStringLiteral("prefs");
}

// Replaces the file as a whole (temporary file and rename); false when it cannot be written.
bool writePreferencesFile(const QString& path, const Preferences& prefs, bool clean);

// For a clean end on a full disk, where no new file fits: rewrites the file where it is,
// with `prefs` when they take no more room than the file has, else with just its crash
// markers taken off. True when the file has no marker afterwards.
bool clearCrashMarkerInPlace(const QString& path, const Preferences& prefs);

// The folder part of a stored setlist path, up to and including the last separator.
QString folderOfPath(const QString& path);

} // namespace vl
