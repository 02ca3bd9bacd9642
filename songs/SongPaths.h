#pragma once
// Paths inside the songs root: songsRoot + song name + "/" + file name.

#include <QString>

namespace vl {

// Stored paths may use either separator; on disk they are "/". A root without a final
// separator gets one.
QString songFilePath(const QString& songsRoot, const QString& song, const QString& fileName);
QString songProgramPath(const QString& songsRoot, const QString& song); // song + ".p"
QString songInfoPath(const QString& songsRoot, const QString& song);    // "inf"

// Names a program may be saved under: at least 3 characters, not "*.*", and a plain
// folder name that cannot lead out of the songs root.
bool isSavableSongName(const QString& song);

} // namespace vl
