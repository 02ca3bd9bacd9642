#pragma once
// The program folder holds prefs, language, undo/, Data/ and YourSongs/.

#include <QString>

namespace vl {

// VELLAMORINTH_HOME when set, else the folder of the running program; ends with "/".
QString locateProgramFolder();

// The shipped Data folder this build installs from.
QString installedDataFolder();

// On a program folder without Data, copies the shipped Data folder in (links stay
// links, so the sound font is not duplicated) and makes YourSongs. False on failure.
bool seedProgramFolder(const QString& programFolder, const QString& sourceData);

} // namespace vl
