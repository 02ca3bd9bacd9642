#pragma once
// Single-byte Windows code pages, as RTF's \'hh escapes and \ansicpg name them.

#include <array>
#include <optional>

namespace vl {

// The character of each of the 256 bytes.
using CodePageTable = std::array<char16_t, 256>;

// Windows-1252, the page of Western European RTF files and of everything this program writes.
const CodePageTable& windows1252();

// 874 and 1250 to 1258; nullopt for multi-byte and unknown pages.
std::optional<CodePageTable> windowsCodePage(int number);

// The Windows-1252 byte (0x80 or above) that stands for c; 0 when the page has none.
unsigned char windows1252Byte(char16_t c);

} // namespace vl
