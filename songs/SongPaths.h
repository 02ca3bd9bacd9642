#pragma once
// Paths inside the songs root: songsRoot + song name + "/" + file name.

#include <QString>

namespace vl {

// A name that stays where it is put: not empty, not "." or "..", no separator, no NUL.
bool isBareName(const QString& name);

// A song is a folder directly in the songs root and its files lie directly in it: empty
// when the song or the file name could lead anywhere else. A root without a final
// separator gets one; it may use either separator.
QString songFilePath(const QString& songsRoot, const QString& song, const QString& fileName);
QString songProgramPath(const QString& songsRoot, const QString& song); // song + ".p"
QString songInfoPath(const QString& songsRoot, const QString& song);    // "inf"

// Names a program may be saved under: at least 3 characters, not "*.*", and a plain
// folder name that cannot lead out of the songs root.
bool isSavableSongName(const QString& song);

} // namespace vl
