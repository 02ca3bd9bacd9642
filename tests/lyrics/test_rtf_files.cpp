// RTF files other programs wrote, and the program's own templates, read into documents.
#include "DocumentText.h"

#include <gtest/gtest.h>

using vl::test::describeRtf;
using vl::test::lyricFileText;

namespace {

QString fixture(const char* name) {
    return lyricFileText(QStringLiteral(VL_SOURCE_DIR "/tests/lyrics/fixtures/") + name);
}

QString dataFile(const char* name) {
    return lyricFileText(QStringLiteral(VL_SOURCE_DIR "/data/") + name);
}

// The document of lyric.fodt as every file made from it must read.
QStringList fodtDocument() {
    const QString sans = QStringLiteral("Liberation Sans");
    const QString serif = QStringLiteral("Liberation Serif");
    return {QStringLiteral("center [%1 28 #ff0000 b]Sternenlied").arg(sans),
            QStringLiteral("center [%1 20 #0000ff]Grüße aus Köln: Äpfel, Öl, Übermut, süß – €5").arg(serif),
            QStringLiteral("left [%1 16 #ffff00 i]Refrain kursiv[%2 12 auto]\u2028[%1 14 #00ff00 u]unterstrichen"
                           "[%2 12 auto] [%1 14 #000000 s]durchgestrichen").arg(sans, serif),
            QStringLiteral("right [%1 12 auto]rechts bündig").arg(sans)};
}

} // namespace

// LibreOffice Writer's own RTF, the one it writes after a trip through .docx, and AbiWord's
// (its colour table starts with black, not with the automatic colour) carry the same document: colours, sizes, bold, italic, underline, strike-out, centred and right
// aligned paragraphs, a line break, umlauts and a euro sign as \uN with \'hh fallbacks.
TEST(RtfFiles, LibreOfficeDocumentsReadWithTheirFormats) {
    EXPECT_EQ(describeRtf(fixture("libreoffice-writer.rtf")), fodtDocument());
    EXPECT_EQ(describeRtf(fixture("libreoffice-from-docx.rtf")), fodtDocument());
    EXPECT_EQ(describeRtf(fixture("abiword.rtf")), fodtDocument());
}

// What this program wrote, LibreOffice opened and saved again with nothing lost.
TEST(RtfFiles, LibreOfficeOpensWhatTheProgramWrites) {
    EXPECT_EQ(describeRtf(fixture("written-by-vellamorinth.rtf")), fodtDocument());
    EXPECT_EQ(describeRtf(fixture("resaved-by-libreoffice.rtf")), fodtDocument());
}

// The templates the program ships: what a new lyric, a plain-text import and the MIDI
// lyric start from. An empty paragraph keeps the format typing will take.
TEST(RtfFiles, ShippedTemplatesRead) {
    EXPECT_EQ(describeRtf(dataFile("empty.rtf")), QStringList{"center [Arial 28 #ffffff b]new lyric"});
    EXPECT_EQ(describeRtf(dataFile("empty2.rtf")), QStringList{"center [Arial 28 #ffffff]"});
    EXPECT_EQ(describeRtf(dataFile("midilyric.rtf")), QStringList{"center [Arial 28 #ffffff b]"});
}
