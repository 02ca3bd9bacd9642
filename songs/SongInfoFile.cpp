#include "songs/SongInfoFile.h"

#include "platform/TextFile.h"
#include "songs/ValueLines.h"

namespace vl {

std::optional<int64_t> readSongInfoLength(const QString& path) {
    const auto lines = readTextLines(path);
    if (!lines) return std::nullopt;
    return parseIntegerLine64(lineAt(*lines, 0));
}

} // namespace vl
