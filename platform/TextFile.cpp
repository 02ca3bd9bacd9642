#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <iterator>

#include <unistd.h>

namespace vl {
namespace {

// Windows-1252 code points for bytes 0x80..0x9F; the rest of the page equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra;
        char32_t cp;
        if (c < 0x80) { ++i; continue; }
        if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString decodeWindows1252(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.append(b >= 0x80 && b <= 0x9F ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return out;
}

QString decode(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return decodeWindows1252(bytes);
}

// Windows-1252 bytes of `text`; nullopt when a character has no place in that code page.
std::optional<QByteArray> encodeWindows1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        const auto* found = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
        // 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned: their code points stand for themselves.
        if (found == std::end(kCp1252High)) return std::nullopt;
        out.append(static_cast<char>(0x80 + (found - std::begin(kCp1252High))));
    }
    return out;
}

std::optional<QByteArray> readBytes(const QString& path) {
    if (!QFileInfo(path).isFile()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

TextEncoding detectEncoding(std::string_view bytes) {
    return isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

QString decodeLine(std::string_view bytes) { return decode(bytes, detectEncoding(bytes)); }

QStringList splitLines(std::string_view bytes) {
    const TextEncoding encoding = detectEncoding(bytes);
    QStringList lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.append(decode(bytes.substr(start, i - start), encoding));
            i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < bytes.size()) lines.append(decode(bytes.substr(start), encoding));
    return lines;
}

std::optional<QStringList> readTextLines(const QString& path) {
    const auto bytes = readBytes(path);
    if (!bytes) return std::nullopt;
    return splitLines(view(*bytes));
}

bool writeTextLines(const QString& path, const QStringList& lines) {
    const QString text = lines.isEmpty() ? QString() : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    const auto old = readBytes(path);
    std::optional<QByteArray> bytes;
    if (old && detectEncoding(view(*old)) == TextEncoding::Windows1252) bytes = encodeWindows1252(text);
    if (!bytes) bytes = text.toUtf8();
    return replaceFile(path, *bytes);
}

bool replaceFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    // QSaveFile commits even when the final flush of its buffer fails part-way (a full
    // disk or a file size limit), and it ignores a failed sync: both are checked here,
    // so the old file is only replaced by one that is whole on the disk.
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool canReplaceFile(const QString& path) {
    QSaveFile probe(path);
    const bool opened = probe.open(QIODevice::WriteOnly);
    probe.cancelWriting();
    return opened;
}

} // namespace vl
