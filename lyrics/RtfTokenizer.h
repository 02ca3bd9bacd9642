#pragma once
// Splits RTF text into groups, control words, control symbols, \'hh bytes and text runs.
// Works on characters: ASCII is RTF syntax; any other character is text as it stands
// (a file's bytes are decoded before, as every data file of the program is).

#include <QStringView>

#include <cstdint>

namespace vl {

struct RtfToken {
    enum class Kind { End, GroupOpen, GroupClose, Word, Symbol, HexByte, Text };
    Kind kind = Kind::End;
    QStringView text;       // Word: its letters; Text: the run
    bool hasParameter = false;
    int32_t parameter = 0;  // Word: saturated to the int32 range; HexByte: the byte
    char16_t symbol = 0;    // Symbol: the character after the backslash
};

class RtfTokenizer {
public:
    explicit RtfTokenizer(QStringView rtf) : rtf_(rtf) {}
    // The next token; End for ever once the text is used up. \binN skips its data here.
    RtfToken next();

private:
    RtfToken controlWord();
    QStringView rtf_;
    qsizetype pos_ = 0;
};

} // namespace vl
