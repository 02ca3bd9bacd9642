// The setlist file: rows, limits, the ".txt" rule and the write guard.
#include "setlists/SetlistFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace vl;

namespace {

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

std::string numberedLines(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += "row " + std::to_string(i) + "\r\n";
    return bytes;
}

} // namespace

TEST(SetlistFile, ReadsEveryRowAtAndBeyondTheLimit) {
    test::TempFolder dir;
    for (int count : {1001, 1002, 2500}) {
        const auto path = dir / ("set" + std::to_string(count) + ".txt");
        test::writeFile(path, numberedLines(count));
        const auto rows = readSetlist(qpath(path));
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows->size(), count);
        EXPECT_EQ(rows->last(), QStringLiteral("row %1").arg(count - 1));
        // Writing back what was read keeps the file byte for byte.
        ASSERT_TRUE(writeSetlist(qpath(path), *rows));
        EXPECT_EQ(test::readFile(path), numberedLines(count));
    }
}

TEST(SetlistFile, FreeTextAndEmptyRowsRoundTripWithCrLf) {
    test::TempFolder dir;
    const QString path = qpath(dir / "s.txt");
    const QStringList rows{"SET 1", "Song A", "", "a..", QString::fromUtf8("Tür zu"), "SET 2"};
    ASSERT_TRUE(writeSetlist(path, rows));
    EXPECT_EQ(test::readFile(dir / "s.txt"), "SET 1\r\nSong A\r\n\r\na..\r\nT\xC3\xBCr zu\r\nSET 2\r\n");
    EXPECT_EQ(readSetlist(path), rows);
    // Files from other systems: LF only, Windows-1252, no final line end.
    test::writeFile(dir / "w.txt", "SET 1\nM\xFCller\rlast");
    EXPECT_EQ(readSetlist(qpath(dir / "w.txt")), (QStringList{"SET 1", QString::fromUtf8("Müller"), "last"}));
    EXPECT_FALSE(readSetlist(qpath(dir / "missing.txt")));
}

TEST(SetlistFile, TxtRuleRemovesEveryTxtFromTheFileNameOnly) {
    EXPECT_EQ(setlistFileName("/x/show.txt.txt"), "/x/show.txt");
    EXPECT_EQ(setlistFileName("/x/show"), "/x/show.txt");
    EXPECT_EQ(setlistFileName("/x/a.txtb.txt"), "/x/ab.txt");
    EXPECT_EQ(setlistFileName("/my.txt.d/show.txt"), "/my.txt.d/show.txt");
    EXPECT_EQ(folderOf("/x/y/show.txt"), "/x/y/");
    EXPECT_EQ(folderOf("C:\\songs\\show.txt"), "C:\\songs\\");
}

TEST(SetlistFile, NeverReplacesSomethingThatIsNotAReadableFile) {
    test::TempFolder dir;
    std::filesystem::create_directories(dir / "folder.txt" / "inside");
    EXPECT_FALSE(writeSetlist(qpath(dir / "folder.txt"), {"a"}));
    EXPECT_TRUE(std::filesystem::exists(dir / "folder.txt" / "inside"));
}
