#pragma once
// Encoding of single values in the line-oriented data files: integer lines and level lines.

#include <QString>

#include <cstdint>

namespace vl {

// Leading blanks and tabs, an optional sign, then decimal digits ("$" hexadecimal, "%"
// binary); anything after the digits is ignored and a line without digits reads as 0.
// Decimal values past the type's range saturate; hexadecimal and binary keep the low bits.
int32_t parseIntegerLine(const QString& line);
int64_t parseIntegerLine64(const QString& line);

// A level as written in the files: the first non-separator character is the units digit,
// every later one the next decimal place, over the first 8 positions; "." and "," are both
// separators, anything not a digit counts as 0.
float parseLevelText(const QString& text);

// Fixed notation with six decimals and a point: 0.75 -> "0.750000".
QString formatLevel(float value);

// Nearest integer, saturated to the 32-bit range; NaN gives 0.
int32_t roundToInt(double value);

} // namespace vl
