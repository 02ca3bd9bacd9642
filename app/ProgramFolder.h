#pragma once
// The program folder holds prefs, language, undo/, Data/ and YourSongs/.

#include <QString>

namespace vl {

// VELLAMORINTH_HOME when set; else the program's own folder when it holds a writable Data
// folder (a build tree, a demo); else the user's data folder, vellamorinth under
// $XDG_DATA_HOME (~/.local/share). Ends with "/".
QString locateProgramFolder();

// The shipped Data folder: the installed one, or the sources' in a build tree.
QString installedDataFolder();

// The engine module: beside the program in a build tree, in the library folder when installed.
QString engineModulePath();

// The user guide page: beside the program in a build tree, among the installed documents
// otherwise (the latter path when neither is there).
QString userGuidePath();

// On a program folder without Data, copies the shipped Data folder in (links stay
// links, so the sound font is not duplicated) and makes YourSongs. False on failure.
bool seedProgramFolder(const QString& programFolder, const QString& sourceData);

} // namespace vl
