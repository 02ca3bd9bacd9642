#pragma once
// Line-oriented data files as stored on disk: read with any line end (CR LF, LF, CR), the
// whole file as UTF-8 when valid else Windows-1252 (written on Windows systems); written
// with CR LF in the encoding of the file they replace while every character fits it (UTF-8
// otherwise and for new files), so song folders keep working on both systems; replaced as a
// whole through a temporary file, so a failed write keeps the old file.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string_view>

namespace vl {

enum class TextEncoding { Utf8, Windows1252 };

// UTF-8 when all of `bytes` is valid UTF-8, else Windows-1252.
TextEncoding detectEncoding(std::string_view bytes);

// Splits raw bytes into lines at CR LF, LF or CR, decoded in the encoding of all the bytes.
// A final line end adds no empty line.
QStringList splitLines(std::string_view bytes);

// One line's bytes as text: UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString decodeLine(std::string_view bytes);

// nullopt when the file cannot be opened or is not a regular file.
std::optional<QStringList> readTextLines(const QString& path);

// Writes every line followed by CR LF. False (and the old file untouched) on failure.
bool writeTextLines(const QString& path, const QStringList& lines);

// Replaces the file with `bytes` once they are all written and synced; false (and the old
// file untouched) on failure.
bool replaceFile(const QString& path, const QByteArray& bytes);

// Whether `path` can be replaced now (its folder takes a new file and the file, if there,
// is writable); nothing is left behind.
bool canReplaceFile(const QString& path);

// Reads line i (0-based) of a line list; past the end it is empty.
inline QString lineAt(const QStringList& lines, int i) { return i >= 0 && i < lines.size() ? lines[i] : QString(); }

} // namespace vl
