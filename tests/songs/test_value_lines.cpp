// Single values in data files: integer lines and level lines.
#include "songs/ValueLines.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vl;

TEST(IntegerLine, BlanksSignDigitsAndTrailingText) {
    EXPECT_EQ(parseIntegerLine(" \t-42 dB"), -42);
    EXPECT_EQ(parseIntegerLine("+7"), 7);
    EXPECT_EQ(parseIntegerLine("12abc"), 12);
    EXPECT_EQ(parseIntegerLine(""), 0);
    EXPECT_EQ(parseIntegerLine("abc"), 0);
    EXPECT_EQ(parseIntegerLine("-"), 0);
    EXPECT_EQ(parseIntegerLine("- 5"), 0);
    EXPECT_EQ(parseIntegerLine("\t 0x10"), 0);
    EXPECT_EQ(parseIntegerLine("1.9"), 1);
}

TEST(IntegerLine, HexadecimalAndBinary) {
    EXPECT_EQ(parseIntegerLine("$1F"), 31);
    EXPECT_EQ(parseIntegerLine("$ff"), 255);
    EXPECT_EQ(parseIntegerLine("%101"), 5);
    EXPECT_EQ(parseIntegerLine("%1012"), 5);
    EXPECT_EQ(parseIntegerLine("-$10"), -16);
    EXPECT_EQ(parseIntegerLine("$"), 0);
    EXPECT_EQ(parseIntegerLine("$FFFFFFFF"), -1);
    EXPECT_EQ(parseIntegerLine("$1FFFFFFFF"), -1);
}

TEST(IntegerLine, HugeDigitRunsSaturate) {
    const std::string run(5000, '9');
    EXPECT_EQ(parseIntegerLine(QString::fromStdString(run)), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(parseIntegerLine(QString::fromStdString("-" + run)), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(parseIntegerLine("2147483647"), 2147483647);
    EXPECT_EQ(parseIntegerLine("2147483648"), 2147483647);
    EXPECT_EQ(parseIntegerLine("-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(parseIntegerLine64("9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(parseIntegerLine64("-9223372036854775809"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(parseIntegerLine64("4294967296"), 4294967296LL);
    EXPECT_EQ(parseIntegerLine64(QString::fromStdString("$" + std::string(40, 'F'))), -1);
}

TEST(LevelText, ReadsOneUnitsDigitAndDecimals) {
    EXPECT_EQ(parseLevelText("0.750000"), 0.75f);
    EXPECT_EQ(parseLevelText("0,500000"), 0.5f);
    EXPECT_EQ(parseLevelText("0.500000"), 0.5f);
    EXPECT_EQ(parseLevelText("1,5"), 1.5f);
    EXPECT_EQ(parseLevelText("1.000000"), 1.0f);
    EXPECT_EQ(parseLevelText("12.5"), 1.25f);
    EXPECT_EQ(parseLevelText(""), 0.0f);
    // Only the first 8 positions count; a non-digit counts as 0.
    EXPECT_EQ(parseLevelText("0.12345678"), 0.123456f);
    EXPECT_EQ(parseLevelText("0.x5"), 0.05f);
    EXPECT_EQ(parseLevelText("-0.5"), 0.05f);
    // The largest reading rounds to 10 in a 32-bit float.
    EXPECT_EQ(parseLevelText("99999999"), 10.0f);
}

TEST(LevelText, EveryWrittenPercentReadsBackExactly) {
    for (int percent = 0; percent <= 100; ++percent) {
        const float level = static_cast<float>(percent * 0.01);
        EXPECT_EQ(parseLevelText(formatLevel(level)), level) << percent;
    }
    EXPECT_EQ(formatLevel(0.75f), "0.750000");
    EXPECT_EQ(formatLevel(1.0f), "1.000000");
    EXPECT_EQ(formatLevel(0.0f), "0.000000");
}

TEST(RoundToInt, NearestAndSaturated) {
    EXPECT_EQ(roundToInt(4.5), 5);
    EXPECT_EQ(roundToInt(-59.6), -60);
    EXPECT_EQ(roundToInt(1e30), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(roundToInt(-1e30), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(roundToInt(std::numeric_limits<double>::quiet_NaN()), 0);
}
