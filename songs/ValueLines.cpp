#include "songs/ValueLines.h"

#include <cmath>
#include <limits>
#include <type_traits>

namespace vl {
namespace {

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int d = -1;
    if (u >= '0' && u <= '9')
        d = u - '0';
    else if (u >= 'a' && u <= 'f')
        d = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        d = u - 'A' + 10;
    return d >= 0 && d < base ? d : -1;
}

template <typename T> T parseInteger(const QString& line) {
    using U = std::make_unsigned_t<T>;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (line[i] == u'-' || line[i] == u'+')) negative = line[i++] == u'-';
    int base = 10;
    if (i < n && line[i] == u'$') {
        base = 16;
        ++i;
    } else if (i < n && line[i] == u'%') {
        base = 2;
        ++i;
    }
    if (base == 10) {
        // Magnitude capped just past the largest negative value, so huge digit runs saturate.
        const U cap = U(std::numeric_limits<T>::max()) + 1u;
        U magnitude = 0;
        for (int d; i < n && (d = digitValue(line[i], 10)) >= 0; ++i)
            magnitude = magnitude > (cap - U(d)) / 10u ? cap : U(magnitude * 10u + U(d));
        if (negative) return magnitude == cap ? std::numeric_limits<T>::min() : T(-T(magnitude));
        return magnitude >= cap ? std::numeric_limits<T>::max() : T(magnitude);
    }
    // Hexadecimal and binary are bit patterns: unsigned arithmetic wraps, never overflows.
    U bits = 0;
    for (int d; i < n && (d = digitValue(line[i], base)) >= 0; ++i)
        bits = U(bits * U(base) + U(d));
    if (negative) bits = U(U(0) - bits);
    return static_cast<T>(bits);
}

} // namespace

int32_t parseIntegerLine(const QString& line) {
    return parseInteger<int32_t>(line);
}
int64_t parseIntegerLine64(const QString& line) {
    return parseInteger<int64_t>(line);
}

float parseLevelText(const QString& text) {
    // Digits are gathered as one integer and scaled once, so written levels read back exactly.
    int64_t digits = 0;
    int k = 0;
    for (qsizetype pos = 0; pos < 8; ++pos) {
        const QChar c = pos < text.size() ? text[pos] : QChar();
        if (c == u'.' || c == u',') continue;
        const int d = digitValue(c, 10);
        digits = digits * 10 + (d < 0 ? 0 : d);
        ++k;
    }
    return static_cast<float>(static_cast<double>(digits) / std::pow(10.0, k - 1));
}

QString formatLevel(float value) {
    return QString::asprintf("%.6f", static_cast<double>(value)).replace(u',', u'.');
}

int32_t roundToInt(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::round(value);
    if (r >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

} // namespace vl
