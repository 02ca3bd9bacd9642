// Line splitting and decoding shared by every data file reader (language, prefs, setlists...).
#include "platform/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const QStringList lines = vl::splitLines(bytes);
    qsizetype total = 0;
    for (const QString& line : lines) total += line.size();
    // Every byte becomes at most one character (Windows-1252) or is part of UTF-8.
    if (total > static_cast<qsizetype>(size)) __builtin_trap();
    (void)vl::lineAt(lines, static_cast<int>(size % 7));
    return 0;
}
