#include "songs/MixerFile.h"

#include "platform/TextFile.h"
#include "songs/ProgramFile.h"

namespace vl {

bool loadMixerFile(const QString& path, SongProgram& program) {
    const auto lines = readTextLines(path);
    return lines && readProgramLines(*lines, program, FileNames::Left);
}

bool saveMixerFile(const QString& path, const SongProgram& program) {
    return writeTextLines(path, writeProgramLines(program, FileNames::Left));
}

} // namespace vl
