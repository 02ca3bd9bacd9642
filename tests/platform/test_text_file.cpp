// Data files: line ends, encodings, and replacement that never destroys the old file.
#include "platform/TextFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vl;

TEST(TextFile, AcceptsEveryLineEnd) {
    const QStringList lines = splitLines("a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(lines, (QStringList{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(splitLines("x\r\n"), QStringList{"x"});
    EXPECT_TRUE(splitLines("").isEmpty());
    EXPECT_EQ(splitLines("\r\r"), (QStringList{"", ""}));
}

TEST(TextFile, Utf8WhenValidElseWindows1252) {
    EXPECT_EQ(decodeLine("M\xC3\xBC" "ller"), QString::fromUtf8("Müller"));
    EXPECT_EQ(decodeLine("M\xFCller \x80\x93"), QString::fromUtf8("Müller €“"));
    // A lone lead byte, an overlong form and a surrogate are not UTF-8.
    EXPECT_EQ(decodeLine("\xC3"), QString::fromUtf8("Ã"));
    EXPECT_EQ(decodeLine("\xC0\xAF"), QString::fromUtf8("À¯"));
    EXPECT_EQ(decodeLine("\xED\xA0\x80").size(), 3);
}

TEST(TextFile, WritesUtf8WithCrLfAndReadsBack) {
    test::TempFolder dir;
    const QString path = QString::fromStdString((dir / "f.txt").string());
    ASSERT_TRUE(writeTextLines(path, {"Grüße", "", "2"}));
    EXPECT_EQ(test::readFile(dir / "f.txt"), "Gr\xC3\xBC\xC3\x9F" "e\r\n\r\n2\r\n");
    EXPECT_EQ(readTextLines(path), (QStringList{"Grüße", "", "2"}));
    EXPECT_FALSE(readTextLines(QString::fromStdString((dir / "missing").string())).has_value());
    EXPECT_FALSE(readTextLines(QString::fromStdString(dir.path().string())).has_value());
}

// A file written on Windows stays Windows-1252 after the program rewrote it, and one file
// is never read half in each encoding.
TEST(TextFile, EncodingIsDecidedPerFileAndKeptOnRewrite) {
    test::TempFolder dir;
    const QString path = QString::fromStdString((dir / "Setlist.txt").string());
    // Line 1 happens to be valid UTF-8 on its own; line 2 is not.
    test::writeFile(dir / "Setlist.txt", "Ma\xC3\xB1" "ana\r\nM\xFCller \x80\r\n");
    const QStringList read = *readTextLines(path);
    EXPECT_EQ(read, (QStringList{QString::fromUtf8("MaÃ±ana"), QString::fromUtf8("Müller €")}));

    ASSERT_TRUE(writeTextLines(path, read + QStringList{QString::fromUtf8("Straße – “live”")}));
    EXPECT_EQ(test::readFile(dir / "Setlist.txt"),
              "Ma\xC3\xB1" "ana\r\nM\xFCller \x80\r\nStra\xDF" "e \x96 \x93live\x94\r\n");
    EXPECT_EQ(readTextLines(path), read + QStringList{QString::fromUtf8("Straße – “live”")});

    // A character Windows-1252 has no place for makes the file UTF-8.
    ASSERT_TRUE(writeTextLines(path, {QString::fromUtf8("Müller 日本")}));
    EXPECT_EQ(test::readFile(dir / "Setlist.txt"), "M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC\r\n");
    ASSERT_TRUE(writeTextLines(path, {QString::fromUtf8("Müller")}));
    EXPECT_EQ(test::readFile(dir / "Setlist.txt"), "M\xC3\xBCller\r\n") << "a UTF-8 file stays UTF-8";
}

TEST(TextFile, FailedWriteLeavesThePreviousFile) {
    if (::geteuid() == 0) {
        // Root ignores folder permissions; a missing folder fails the same way for everyone.
        test::TempFolder dir;
        const QString path = QString::fromStdString((dir / "no-such-folder" / "f.txt").string());
        EXPECT_FALSE(writeTextLines(path, {"x"}));
    }
    test::TempFolder dir;
    test::writeFile(dir / "keep.txt", "old\r\n");
    const QString path = QString::fromStdString((dir / "keep.txt").string());
    ::chmod(dir.path().c_str(), 0555);
    const bool written = writeTextLines(path, {"new"});
    ::chmod(dir.path().c_str(), 0755);
    if (::geteuid() != 0) {
        EXPECT_FALSE(written);
    }
    if (!written) {
        EXPECT_EQ(test::readFile(dir / "keep.txt"), "old\r\n");
    }
}
