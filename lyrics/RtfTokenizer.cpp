#include "lyrics/RtfTokenizer.h"

#include <algorithm>
#include <limits>

namespace vl {
namespace {

bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
// Characters that end a text run: syntax, and the line ends and NULs RTF ignores.
bool endsText(char16_t c) { return c == u'{' || c == u'}' || c == u'\\' || c == u'\r' || c == u'\n' || c == 0; }

int hexValue(char16_t c) {
    if (isDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

} // namespace

RtfToken RtfTokenizer::next() {
    RtfToken token;
    while (pos_ < rtf_.size()) {
        const char16_t c = rtf_[pos_].unicode();
        if (c == u'\r' || c == u'\n' || c == 0) {
            ++pos_;
            continue;
        }
        if (c == u'{' || c == u'}') {
            ++pos_;
            token.kind = c == u'{' ? RtfToken::Kind::GroupOpen : RtfToken::Kind::GroupClose;
            return token;
        }
        if (c != u'\\') {
            const qsizetype start = pos_;
            while (pos_ < rtf_.size() && !endsText(rtf_[pos_].unicode())) ++pos_;
            token.kind = RtfToken::Kind::Text;
            token.text = rtf_.sliced(start, pos_ - start);
            return token;
        }
        ++pos_;
        if (pos_ >= rtf_.size()) break;
        const char16_t d = rtf_[pos_].unicode();
        if (isLetter(d)) return controlWord();
        ++pos_;
        if (d == u'\'') {
            const int high = pos_ < rtf_.size() ? hexValue(rtf_[pos_].unicode()) : -1;
            const int low = pos_ + 1 < rtf_.size() ? hexValue(rtf_[pos_ + 1].unicode()) : -1;
            if (high < 0 || low < 0) continue;  // a broken escape stands for nothing
            pos_ += 2;
            token.kind = RtfToken::Kind::HexByte;
            token.parameter = high * 16 + low;
            return token;
        }
        token.kind = RtfToken::Kind::Symbol;
        // A backslash before a line end is a paragraph mark.
        token.symbol = (d == u'\r' || d == u'\n') ? u'\n' : d;
        return token;
    }
    return token;
}

RtfToken RtfTokenizer::controlWord() {
    RtfToken token;
    token.kind = RtfToken::Kind::Word;
    const qsizetype start = pos_;
    while (pos_ < rtf_.size() && isLetter(rtf_[pos_].unicode())) ++pos_;
    token.text = rtf_.sliced(start, pos_ - start);
    const bool negative = pos_ + 1 < rtf_.size() && rtf_[pos_] == u'-' && isDigit(rtf_[pos_ + 1].unicode());
    if (negative) ++pos_;
    int64_t value = 0;
    while (pos_ < rtf_.size() && isDigit(rtf_[pos_].unicode())) {
        token.hasParameter = true;
        // Saturate: a run of a million digits is read to its end without overflow.
        value = std::min<int64_t>(value * 10 + (rtf_[pos_].unicode() - u'0'), std::numeric_limits<int32_t>::max());
        ++pos_;
    }
    token.parameter = static_cast<int32_t>(negative ? -value : value);
    if (pos_ < rtf_.size() && rtf_[pos_] == u' ') ++pos_;
    // Binary data follows \binN; it is never text, and a length past the end ends the text.
    if (token.text == u"bin" && token.parameter > 0)
        pos_ += std::min<qsizetype>(token.parameter, rtf_.size() - pos_);
    return token;
}

} // namespace vl
