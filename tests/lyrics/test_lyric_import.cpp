// Importing a lyric: RTF turned white for the black lyric view, plain text in the template.
#include "DocumentText.h"
#include "lyrics/LyricImport.h"
#include "lyrics/RtfWriter.h"
#include "platform/TextFile.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using vl::test::describeRtf;

namespace {

std::optional<QStringList> shippedTemplate() {
    return vl::readTextLines(QStringLiteral(VL_SOURCE_DIR "/data/empty2.rtf"));
}

} // namespace

// WordPad's layout: a line a paragraph, a colour table with two black entries, text in the
// automatic colour before and after an explicit colour.
TEST(LyricImport, RtfTurnsBlackAndAutomaticTextWhite) {
    const QStringList file = {
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}",
        "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue0;}",
        "\\viewkind4\\uc1\\pard\\f0\\fs20 start\\par",
        "\\cf1 one\\cf3 three\\par",
        "\\cf2 red\\cf0 auto\\par",
        "}"};
    const QString lyric = vl::importedLyric(file, shippedTemplate());
    EXPECT_EQ(lyric.count("\\red255\\green255\\blue255"), 2);
    EXPECT_EQ(describeRtf(lyric), (QStringList{"left [Arial 10 #ffffff]start",
                                               "left [Arial 10 #ffffff]onethree",
                                               "left [Arial 10 #ff0000]red[Arial 10 #ffffff]auto"}));
}

// The program's own files import the same way: entry 1 of their colour table is white.
TEST(LyricImport, OwnFilesImportWhiteWhereNotColoured) {
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat plain;
    plain.setFontFamilies({"Arial"});
    plain.setFontPointSize(20);
    cursor.insertText("auto ", plain);
    QTextCharFormat blue = plain;
    blue.setForeground(QColor(0, 0, 255));
    cursor.insertText("blue", blue);
    const QStringList lines = QString::fromLatin1(vl::writeRtf(document)).split("\r\n");
    EXPECT_EQ(describeRtf(vl::importedLyric(lines, std::nullopt)),
              QStringList{"left [Arial 20 #ffffff]auto [Arial 20 #0000ff]blue"});
}

// Plain text goes into a fresh copy of the template each time, as one paragraph whose
// lines stay apart, closed by the 10-point paragraph mark; RTF syntax in it stays text.
TEST(LyricImport, PlainTextFillsTheTemplateOncePerImport) {
    const QString first = vl::importedLyric({"Line one", "Line {two} \\b"}, shippedTemplate());
    const QString second = vl::importedLyric({"Ä second"}, shippedTemplate());
    EXPECT_TRUE(first.endsWith(QString::fromUtf16(vl::kPlainImportEnd)));
    EXPECT_EQ(first.count("\\rtf1"), 1);
    EXPECT_EQ(second.count("\\rtf1"), 1);
    EXPECT_FALSE(second.contains("Line one"));
    EXPECT_EQ(describeRtf(first),
              (QStringList{"center [Arial 28 #ffffff]", "center [Arial 28 #ffffff]Line one\u2028Line {two} \\b"}));
    EXPECT_EQ(describeRtf(second), (QStringList{"center [Arial 28 #ffffff]", "center [Arial 28 #ffffff]Ä second"}));
    // Without a readable template the shipped one stands in.
    EXPECT_EQ(describeRtf(vl::importedLyric({"Ä second"}, std::nullopt)), describeRtf(second));
}

// Joining a file's lines keeps what its line ends meant: nothing, a control word's end,
// or (after a lone backslash) a paragraph mark.
TEST(LyricImport, LineEndsKeepTheirMeaning) {
    EXPECT_EQ(vl::joinRtfLines({"{\\rtf1\\par", "Text\\fs20", "more\\\\", "x\\", "y}"}),
              "{\\rtf1\\par Text\\fs20 more\\\\x\\par y}");
}
