#include "lyrics/RtfCodePage.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <utility>
#include <vector>

namespace vl {
namespace {

// Qt decodes the Windows pages through ICU; without it the upper half falls back to Latin-1.
CodePageTable decodePage(int number) {
    CodePageTable table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<char16_t>(b);
    QStringDecoder decoder(QByteArray("windows-" + QByteArray::number(number)).constData());
    if (!decoder.isValid()) return table;
    for (int b = 0x80; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const QString decoded = decoder.decode(QByteArrayView(&byte, 1));
        decoder.resetState();
        if (decoded.size() == 1) table[b] = decoded[0].unicode();
    }
    return table;
}

} // namespace

const CodePageTable& windows1252() {
    static const CodePageTable table = decodePage(1252);
    return table;
}

std::optional<CodePageTable> windowsCodePage(int number) {
    if (number == 1252) return windows1252();
    if (number == 874 || (number >= 1250 && number <= 1258)) return decodePage(number);
    return std::nullopt;
}

unsigned char windows1252Byte(char16_t c) {
    // Sorted by character, so that a lookup is a binary search.
    static const std::vector<std::pair<char16_t, unsigned char>> bytes = [] {
        std::vector<std::pair<char16_t, unsigned char>> list;
        const CodePageTable& table = windows1252();
        for (int b = 0x80; b < 256; ++b) list.emplace_back(table[b], static_cast<unsigned char>(b));
        std::sort(list.begin(), list.end());
        return list;
    }();
    const auto it = std::lower_bound(bytes.begin(), bytes.end(), std::make_pair(c, static_cast<unsigned char>(0)));
    return it != bytes.end() && it->first == c ? it->second : 0;
}

} // namespace vl
