#pragma once
// Reads RTF as WordPad, Word, LibreOffice and this program write it into a QTextDocument:
// fonts, colours, bold, italic, underline, strike-out, sizes, alignment, paragraphs, line
// breaks, \'hh in the document's Windows code page and \uN. Pictures, objects, headers,
// \* destinations and other groups that hold no body text are skipped. Any input is safe:
// deep nesting, huge numbers and unterminated groups end in a document, never in a crash.

#include <QStringView>

class QTextDocument;

namespace vl {

// True when the text starts, after blanks and a byte order mark, with "{\rtf".
bool isRtf(QStringView text);

// Replaces the document's content. Text that is not RTF is taken as plain text, one
// paragraph per line. Loading clears the undo history.
void readRtf(QStringView text, QTextDocument& document);

} // namespace vl
