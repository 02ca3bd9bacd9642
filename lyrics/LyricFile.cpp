#include "lyrics/LyricFile.h"

#include "lyrics/RtfWriter.h"
#include "platform/TextFile.h"
#include "songs/SongPaths.h"

namespace vl {

QString lyricFilePath(const QString& songsRoot, const QString& song) {
    return songFilePath(songsRoot, song, song + QStringLiteral(".rtf"));
}

std::optional<QString> readLyricSource(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    const std::optional<QStringList> lines = readTextLines(path);
    if (!lines) return std::nullopt;
    QString source;
    for (const QString& line : *lines) source += line + QChar(13);
    return source;
}

bool writeLyricFile(const QString& path, const QTextDocument& document) {
    if (path.isEmpty()) return false;
    return replaceFile(path, writeRtf(document));
}

} // namespace vl
