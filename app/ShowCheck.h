#pragma once
// The check before the doors open: every row of a setlist, its song folder, program, track
// files, MIDI file, sound font, video, lyric and info file, as the engine would play them.
// Reads only; opens no window and no sound device.

#include "core/EngineFunctions.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace vl {

class InterfaceTexts;

struct CheckedFile {
    int track = 0;   // 1-8; 0 for the sound font
    QString name;    // as the program names it
    QString path;
    int role = 0;    // VL_ROLE_...
    bool readable = false;
    QString reason;  // the engine's, when not readable
    uint32_t lengthSongBytes = 0;
    int rate = 0;
    int channels = 0;
};

struct CheckedSong {
    int row = 0; // in the setlist, from 1
    QString title;
    QString folder;
    bool folderFound = false;
    bool programRead = false;
    std::vector<CheckedFile> files;
    QString lyricPath;
    bool lyricReadable = false;
    std::optional<int64_t> infoSongBytes;
    uint32_t tracksSongBytes = 0; // the longest audio or MIDI track: what VL_Play measures
    bool infoAgrees = false;
    QStringList problems; // one line each, in the interface language
};

struct ShowCheck {
    QString programFolder;
    QString setlistPath;
    QString songsRoot;
    bool setlistRead = false;
    bool soundFontNeeded = false; // some song has a MIDI file
    CheckedFile soundFont;
    std::vector<CheckedSong> songs;
    QStringList problems; // every problem line, in row order; the set's own first
    int filesChecked = 0;
    bool ok() const { return problems.isEmpty(); }
};

// The setlist that the program would load from `programFolder` (its prefs), or the default.
QString rememberedSetlist(const QString& programFolder);

// Checks `setlistPath` (songs beside it) with the engine's probes, which must be bound.
ShowCheck checkShow(const EngineFunctions& engine, const InterfaceTexts& texts, const QString& programFolder,
                    const QString& setlistPath);

} // namespace vl
