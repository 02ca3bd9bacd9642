#pragma once
// The setlist file: one row a line, CR LF. Files longer than the 1001 rows the set editor
// was made for are read whole, so saving never drops the rows past the limit.

#include <QString>
#include <QStringList>

#include <optional>
#include <string_view>

namespace vl {

// Rows of a setlist file's bytes; the same line rules as every data file.
QStringList parseSetlist(std::string_view bytes);

// nullopt when the file cannot be opened.
std::optional<QStringList> readSetlist(const QString& path);

// Replaces the file with the rows. A file that exists but cannot be read is left alone, so
// a setlist the program failed to load is not overwritten with other rows.
bool writeSetlist(const QString& path, const QStringList& rows);

// The name chosen in the save dialog: every ".txt" of the file name removed, one added.
QString setlistFileName(const QString& chosen);

// The folder part of a path, ending with "/" (both separators accepted).
QString folderOf(const QString& path);

} // namespace vl
