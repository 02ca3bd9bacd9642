#pragma once
// The 8-bit texts of MIDI files turned into the engine's UTF-8 texts. A file's texts are
// taken as UTF-8 when all of them are valid UTF-8, else as Windows-1252, the code page
// most karaoke and lyric files were written in.

#include <string>
#include <string_view>

namespace vl::engine::midi {

bool isValidUtf8(std::string_view text);
// Drops NUL bytes (they would cut the text short), turns CR LF and a lone CR into '\n',
// and converts from Windows-1252 unless `utf8`.
std::string normaliseMidiText(std::string_view raw, bool utf8);

} // namespace vl::engine::midi
