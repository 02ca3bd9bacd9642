#pragma once
// A song's lyric file, songsRoot + N + "/" + N + ".rtf": read as the lyric windows take it,
// written as RTF through a temporary file, so a failed save keeps the old lyric.

#include <QString>

#include <optional>

class QTextDocument;

namespace vl {

// Empty when the song name could lead out of the songs root.
QString lyricFilePath(const QString& songsRoot, const QString& song);

// The file's lines, each followed by one CR; nullopt when it cannot be opened. The whole
// file is read: a lyric cut short would lose its end at the next save.
std::optional<QString> readLyricSource(const QString& path);

// Replaces the file with the document as RTF; false (the old file untouched) on failure.
bool writeLyricFile(const QString& path, const QTextDocument& document);

} // namespace vl
