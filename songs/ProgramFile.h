#pragma once
// The line layout shared by song program files (with track file names, 258 lines) and the
// mixer file (without them, 242 lines), and its version rule.

#include "songs/SongProgram.h"

#include <QStringList>

namespace vl {

enum class FileNames { Included, Left };

inline constexpr const char* kProgramHeader = "Vellamorinth v1.3";
inline constexpr int kProgramFileLines = 258;
inline constexpr int kMixerFileLines = 242;

// Reads the lines into `program`. False, with `program` unchanged, when line 1 does not name
// the format. A "v1.0" header reads the 6-track legacy layout and changes only what it holds;
// missing lines read as 0. With FileNames::Left no file name is read or touched.
bool readProgramLines(const QStringList& lines, SongProgram& program, FileNames names);

// The current layout, 16 tracks.
QStringList writeProgramLines(const SongProgram& program, FileNames names);

// A stored file name as kept in memory: at most 255 characters.
QString limitFileName(const QString& name);

} // namespace vl
