#pragma once
// Bringing a media file into a song folder for one of its tracks.

#include <QString>

namespace vl {

// The import dialog's filter: every kind of file the engine plays (audio, MIDI, video), in
// any spelling of its extension, then all files.
QString mediaImportFilter();

enum class CopyResult {
    Copied,
    AlreadyThere, // the chosen file is the very file in the song folder
    Failed,       // nothing changed at the target
};

// Copies `source` to `target`, replacing a file of that name. The copy is made beside the
// target and renamed over it only when complete, so a failed copy never damages the file
// that was there; a source that is the target itself is left as it is.
CopyResult copyIntoSongFolder(const QString& source, const QString& target);

} // namespace vl
