// What the reader makes of the odd corners of RTF and of input that is broken on purpose.
#include "DocumentText.h"
#include "lyrics/RtfReader.h"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

QString plainText(const QString& rtf) {
    QTextDocument document;
    vl::readRtf(rtf, document);
    // Raw, so that line breaks and no-break spaces show as themselves.
    return document.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

} // namespace

// Groups that hold no body text stay out of the document; unknown groups without \* are text.
TEST(RtfReader, SkipsPicturesTablesAndStarredDestinations) {
    EXPECT_EQ(plainText("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                        "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}a{\\*\\shppict{\\pict\\pngblip 89504e47}}"
                        "{\\nonshppict{\\pict\\wmetafile8 0102}}b{\\*\\unknown secret}{\\mystery c}"
                        "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt d}}{\\header h}{\\v hidden}e}"),
              "abcde");
    // Raw binary data may hold braces and backslashes.
    EXPECT_EQ(plainText("{\\rtf1 a{\\bin4 }}\\{}b}"), "ab");
}

// \uN with its fallback skipped (\ucN, group ends stop the skipping), \'hh in the document's
// code page, symbols, and a surrogate pair.
TEST(RtfReader, DecodesCharacters) {
    EXPECT_EQ(plainText("{\\rtf1 K\\u246\\'f6ln {\\uc2\\u8364 XYz} {\\uc0\\u228}\\u-10180\\'3f\\u-8267\\'3f}"),
              QString::fromUtf16(u"Köln €z ä\U0001F3B5"));
    EXPECT_EQ(plainText("{\\rtf1 {\\u228}b \\'80\\'e4\\'9a}"), QString::fromUtf16(u"äb €äš"));
    EXPECT_EQ(plainText("{\\rtf1\\ansi\\ansicpg1250 \\'e8\\'9a}"), QString::fromUtf16(u"čš"));
    EXPECT_EQ(plainText("{\\rtf1 a\\~b\\emdash c\\\\\\{\\}\\tab d\\line e}"), QString::fromUtf16(u"a\u00A0b\u2014c\\{}\td\u2028e"));
    // The line ends in a file are no text; a backslash before one is a paragraph mark.
    EXPECT_EQ(plainText("{\\rtf1 one\r\ntwo\\\r\nthree}"), "onetwo\nthree");
}

// Nothing crashes, hangs or grows: nesting far too deep, numbers far too long, a \bin
// longer than the file, characters a document keeps for itself, text after the end.
TEST(RtfReader, SurvivesHostileInput) {
    const int depth = 200000;
    EXPECT_EQ(plainText("{\\rtf1 a" + QString(depth, '{') + "b" + QString(depth, '}') + "c}"), "ac");
    EXPECT_EQ(plainText("{\\rtf1{\\b bold{\\i never closed"), "boldnever closed");
    EXPECT_EQ(plainText("{\\rtf1 a\\bin99999999999999999999 xyz}"), "a");
    EXPECT_EQ(plainText("{\\rtf1 a\\uc99999999\\u65 bc}d"), "aAd");
    const QString digits(100000, '9');
    EXPECT_EQ(vl::test::describeRtf("{\\rtf1\\fs" + digits + "\\cf" + digits + "\\f" + digits + "\\u" + digits + " xy}"),
              QStringList{"left [" + QTextDocument().defaultFont().family() + " 1638 auto]" + QChar(0xFFFD) + "y"});
    EXPECT_EQ(plainText(QString::fromUtf16(u"{\\rtf1\\uc0 a\uFDD0\uFFFC\u0001\\u-9216 \\u8233 b\\'0a\\u56000 c")),
              QString::fromUtf16(u"a\uFFFD\u2028b\uFFFDc"));
    EXPECT_EQ(plainText("{\\rtf1 body}after}}"), "bodyafter");
    EXPECT_EQ(plainText("{\\rtf1\\"), "");
    EXPECT_EQ(plainText("\\'hh"), "\\'hh");
}

// Text that is not RTF is plain text, a paragraph a line; a byte order mark is no text.
TEST(RtfReader, PlainTextKeepsItsLines) {
    EXPECT_EQ(plainText("first\r\nsecond\rthird\n{\\b x}"), "first\nsecond\nthird\n{\\b x}");
    EXPECT_EQ(plainText(QString::fromUtf16(u"\uFEFF {\\rtf1 x}")), "x");
}
