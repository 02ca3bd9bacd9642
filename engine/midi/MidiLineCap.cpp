#include "engine/midi/MidiLineCap.h"

#include <string>

namespace vl::engine::midi {

namespace {

bool endsLine(char c) { return c == '\n' || c == '/' || c == '\\'; }
bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

} // namespace

void capLineLengths(std::vector<MidiMark>& marks, std::size_t maxChars) {
    if (maxChars == 0) return;
    std::size_t length = 0;     // characters of the open line
    std::size_t afterSpace = 0; // characters of the open line behind its last space
    // The last space of the open line: the mark it is in, and where. In the mark being
    // read it is a place in `out`, which becomes that mark's text.
    std::size_t spaceMark = 0, spaceAt = std::string::npos;
    for (std::size_t m = 0; m < marks.size(); ++m) {
        const std::string& text = marks[m].text;
        std::string out;
        out.reserve(text.size());
        for (const char c : text) {
            if (continuesCharacter(c)) {
                out += c;
                continue;
            }
            if (endsLine(c)) {
                out += c;
                length = afterSpace = 0;
                spaceAt = std::string::npos;
                continue;
            }
            if (length >= maxChars) {
                if (c == ' ') {
                    out += '\n';
                    length = afterSpace = 0;
                    spaceAt = std::string::npos;
                    continue;
                }
                if (spaceAt != std::string::npos) {
                    (spaceMark == m ? out : marks[spaceMark].text)[spaceAt] = '\n';
                    length = afterSpace;
                } else {
                    out += '\n';
                    length = 0;
                }
                spaceAt = std::string::npos;
            }
            if (c == ' ') {
                spaceMark = m;
                spaceAt = out.size();
                afterSpace = 0;
            } else {
                ++afterSpace;
            }
            out += c;
            ++length;
        }
        marks[m].text = std::move(out);
    }
}

} // namespace vl::engine::midi
