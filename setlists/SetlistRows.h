#pragma once
// Building SET LIST rows from the SONG LIST.

#include <QString>
#include <QStringList>

#include <vector>

namespace vl {

struct SetRow {
    QString text;
    bool song = true; // false for the letter headings and spacers of "add letters"
};

// "<< copy all": every song in order; with letters, each new first letter (ignoring case)
// gets a spacer (except at the top) and a heading such as "b..".
std::vector<SetRow> copyAllRows(const QStringList& songs, bool addLetters);

} // namespace vl
