#pragma once
// A QTextDocument as lines of text that tests compare: one line a paragraph, its alignment,
// then every run as [family points colour flags]text, colour "auto" or #rrggbb, flags b i u s.
// An empty paragraph shows the format of its paragraph mark, which typing would take.

#include <QString>
#include <QStringList>

#include <ostream>

class QTextDocument;

namespace vl::test {

QStringList describeDocument(const QTextDocument& document);

// A file as the lyric windows read it: its lines, each followed by a CR.
QString lyricFileText(const QString& path);

// The document RTF text reads into.
QStringList describeRtf(const QString& rtf);

} // namespace vl::test

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
