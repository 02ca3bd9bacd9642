#include "setlists/SetlistRows.h"

namespace vl {

namespace {

// The first character, kept whole when it is a surrogate pair.
QString firstCharacter(const QString& text) {
    if (text.isEmpty()) return {};
    return text.left(text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1);
}

} // namespace

std::vector<SetRow> copyAllRows(const QStringList& songs, bool addLetters) {
    std::vector<SetRow> rows;
    rows.reserve(static_cast<std::size_t>(songs.size()) * (addLetters ? 2 : 1));
    QString previous;
    for (qsizetype i = 0; i < songs.size(); ++i) {
        const QString letter = firstCharacter(songs[i]).toUpper();
        if (addLetters && (i == 0 || letter != previous)) {
            if (!rows.empty()) rows.push_back({QString(), false});
            rows.push_back({firstCharacter(songs[i]).toLower() + QStringLiteral(".."), false});
        }
        previous = letter;
        rows.push_back({songs[i], true});
    }
    return rows;
}

} // namespace vl
