#pragma once
// The reusable mix "Data/mixer.p": the program layout without track file names.

#include "songs/SongProgram.h"

#include <QString>

namespace vl {

// Reads every mixer value into `program` and leaves every file name alone. False (and
// nothing changed) when the file cannot be read or its header does not name the format.
bool loadMixerFile(const QString& path, SongProgram& program);

// Replaces the file as a whole; false (old file kept) when it cannot be written.
bool saveMixerFile(const QString& path, const SongProgram& program);

} // namespace vl
