#include "lyrics/LyricImport.h"

namespace vl {
namespace {

// data/empty2.rtf as shipped, for when the program's copy cannot be read.
const char16_t kShippedTemplate[] =
    u"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
    u"{\\colortbl ;\\red255\\green255\\blue255;}\\viewkind4\\uc1\\pard\\qc\\cf1\\b\\f0\\fs56 \\b0\\par}";

bool isLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// What a line end stood for at the end of this line: nothing, a control word's
// delimiter, or (after an unescaped backslash) a paragraph mark.
QString lineEndFor(const QString& line) {
    qsizetype backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == u'\\') ++backslashes;
    if (backslashes % 2 == 1) return QStringLiteral("par ");
    qsizetype i = line.size();
    while (i > 0 && line[i - 1].isDigit()) --i;
    if (i > 0 && line[i - 1] == u'-') --i;
    const qsizetype lettersEnd = i;
    while (i > 0 && isLetter(line[i - 1])) --i;
    if (i == lettersEnd || i == 0 || line[i - 1] != u'\\') return {};
    // The backslash starts a control word only when it is not itself escaped.
    qsizetype before = 0;
    while (i - 1 - before > 0 && line[i - 2 - before] == u'\\') ++before;
    return before % 2 == 0 ? QStringLiteral(" ") : QString();
}

QString escapedPlainText(const QString& line) {
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (c == u'\\' || c == u'{' || c == u'}') out.append(u'\\');
        out.append(c);
    }
    return out;
}

} // namespace

QString joinRtfLines(const QStringList& lines) {
    QString joined;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        joined += lines[i];
        if (i + 1 < lines.size()) joined += lineEndFor(lines[i]);
    }
    return joined;
}

QString whitenRtf(QString rtf) {
    rtf.replace(QStringLiteral("\\red0\\green0\\blue0"), QStringLiteral("\\red255\\green255\\blue255"), Qt::CaseSensitive);
    rtf.replace(QStringLiteral("}\\view"), QStringLiteral("}\\cf1\\view"), Qt::CaseSensitive);
    rtf.replace(QStringLiteral("\\cf0"), QStringLiteral("\\cf1"), Qt::CaseSensitive);
    return rtf;
}

QString plainTextIntoTemplate(const QStringList& textLines, const std::optional<QStringList>& templateLines) {
    QString lyric = templateLines ? joinRtfLines(*templateLines) : QString::fromUtf16(kShippedTemplate);
    for (qsizetype i = 0; i < textLines.size(); ++i) {
        // A line break, not nothing, between the lines: run together they would read as one.
        if (i > 0) lyric += u"\\line ";
        lyric += escapedPlainText(textLines[i]);
    }
    return lyric + QString::fromUtf16(kPlainImportEnd);
}

QString importedLyric(const QStringList& fileLines, const std::optional<QStringList>& templateLines) {
    const QString joined = joinRtfLines(fileLines);
    if (joined.contains(u"\\rtf1")) return whitenRtf(joined);
    return plainTextIntoTemplate(fileLines, templateLines);
}

} // namespace vl
