#pragma once
// A rehearsal mix: one song rendered through the engine with its program, as the program
// plays it (the stored sub-group routing and global mutes included), as fast as the machine
// goes, into a WAV file of one output pair or of all eight outputs.

#include "core/EngineFunctions.h"

#include <QString>

namespace vl {

class InterfaceTexts;

struct RenderRequest {
    QString programFolder; // ends with "/"
    QString song;          // a song folder's name beside the remembered setlist, or its path
    QString output;
    int pair = 1;          // 1-4; 0: all eight outputs
};

struct RenderResult {
    bool ok = false;
    QString message; // what was written, or why nothing was
};

// The engine must be bound with its offline functions.
RenderResult renderRehearsal(const EngineFunctions& engine, const InterfaceTexts& texts, const RenderRequest& request);

// The song's folder: a path when `song` holds a separator, else a name in `songsRoot`.
struct SongLocation {
    QString songsRoot; // ends with "/"
    QString title;
};
SongLocation locateSong(const QString& song, const QString& songsRoot);

} // namespace vl
