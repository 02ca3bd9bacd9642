// Documents written as RTF and read back come out as they went in.
#include "DocumentText.h"
#include "lyrics/RtfReader.h"
#include "lyrics/RtfWriter.h"

#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using vl::test::describeDocument;
using vl::test::describeRtf;

namespace {

QTextCharFormat format(const QString& family, double points, QColor colour, const QString& flags = {}) {
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(points);
    if (colour.isValid()) f.setForeground(colour);
    f.setFontWeight(flags.contains('b') ? QFont::Bold : QFont::Normal);
    f.setFontItalic(flags.contains('i'));
    f.setFontUnderline(flags.contains('u'));
    f.setFontStrikeOut(flags.contains('s'));
    return f;
}

void paragraph(QTextCursor& cursor, Qt::Alignment alignment, bool first = false) {
    QTextBlockFormat block;
    block.setAlignment(alignment);
    if (first) cursor.setBlockFormat(block);
    else cursor.insertBlock(block);
}

QStringList roundTrip(const QTextDocument& document) {
    return describeRtf(QString::fromLatin1(vl::writeRtf(document)));
}

} // namespace

// Every attribute the lyric editor sets, characters RTF must escape or encode (Windows-1252,
// beyond it, beyond 16 bits), line breaks, tabs, empty paragraphs and black as a colour of
// its own rather than the automatic one.
TEST(RtfRoundTrip, EditedDocumentKeepsTextAndFormats) {
    QTextDocument document;
    QTextCursor cursor(&document);
    paragraph(cursor, Qt::AlignHCenter, true);
    cursor.insertText("Verse 1", format("Arial", 28, Qt::white, "b"));
    paragraph(cursor, Qt::AlignLeft);
    cursor.insertText("Grüße, €, ő, \U0001F3B5 and {\\braces}", format("DejaVu Serif", 13.5, QColor(255, 0, 0), "iu"));
    cursor.insertText("\tTab", format("Arial", 80, QColor(0, 0, 0), "s"));
    cursor.insertText(QString(QChar(QChar::LineSeparator)) + "next line", format("Arial", 10, QColor()));
    paragraph(cursor, Qt::AlignRight);
    cursor.setBlockCharFormat(format("DejaVu Sans", 40, QColor(1, 2, 3), "bius"));
    paragraph(cursor, Qt::AlignJustify);
    cursor.insertText("9 digits after a control word", format("Arial", 12, QColor(0, 128, 255)));
    paragraph(cursor, Qt::AlignLeft);

    const QByteArray rtf = vl::writeRtf(document);
    for (const char c : rtf) ASSERT_TRUE(c > 0) << "the writer keeps to ASCII";
    EXPECT_TRUE(rtf.endsWith("\\par\r\n}\r\n"));
    const QStringList before = describeDocument(document);
    ASSERT_EQ(before.size(), 5);
    EXPECT_EQ(roundTrip(document), before);
}

// A real word processor's document survives the program's writer too, and an empty
// document (a cleared lyric) is written as RTF without text.
TEST(RtfRoundTrip, ReadDocumentsWriteBackUnchanged) {
    QTextDocument document;
    vl::readRtf(vl::test::lyricFileText(VL_SOURCE_DIR "/tests/lyrics/fixtures/libreoffice-writer.rtf"), document);
    EXPECT_EQ(roundTrip(document), describeDocument(document));

    QTextDocument empty;
    const QByteArray rtf = vl::writeRtf(empty);
    EXPECT_TRUE(vl::isRtf(QString::fromLatin1(rtf)));
    QTextDocument back;
    vl::readRtf(QString::fromLatin1(rtf), back);
    EXPECT_TRUE(back.isEmpty());
    EXPECT_EQ(back.blockCount(), 1);
}
