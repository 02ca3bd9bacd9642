#pragma once
// The text side of importing a lyric: an RTF file is made readable on the lyric view's
// black background, a plain text file is put into the "empty2.rtf" template.

#include <QString>
#include <QStringList>

#include <optional>

namespace vl {

// What ends a plain-text import: the last paragraph mark in the automatic colour at 10 points.
inline constexpr char16_t kPlainImportEnd[] = u"\\cf0\\fs20\\par}";

// Joins the lines of an RTF file into one text as if the line ends were not there, which
// RTF ignores; a control word at a line end keeps its delimiter, and a backslash at a line
// end keeps its meaning of a paragraph mark.
QString joinRtfLines(const QStringList& lines);

// Black colour table entries become white, the body starts in colour 1 and text in the
// automatic colour takes colour 1: each replacement on every occurrence, case-sensitively.
QString whitenRtf(QString rtf);

// The template's text followed by the plain text, its lines kept apart by line breaks in
// one paragraph, then kPlainImportEnd. Without a readable template the shipped one is used.
QString plainTextIntoTemplate(const QStringList& textLines, const std::optional<QStringList>& templateLines);

// The new lyric from an import file's lines: whitened RTF when the text holds "\rtf1",
// else the plain text in the template.
QString importedLyric(const QStringList& fileLines, const std::optional<QStringList>& templateLines);

} // namespace vl
