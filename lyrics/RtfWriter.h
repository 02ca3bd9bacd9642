#pragma once
// Writes a QTextDocument as RTF that WordPad, Word, LibreOffice and this program's reader
// open: fonts, sizes, bold, italic, underline, strike-out, alignment, line breaks, and an
// explicit colour for every coloured run. The bytes are plain ASCII, one line a paragraph.

#include <QByteArray>

class QTextDocument;

namespace vl {

QByteArray writeRtf(const QTextDocument& document);

} // namespace vl
