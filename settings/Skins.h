#pragma once
// Skins are Qt style sheets in "Data/skins/NAME.qss" of the program folder, listed as NAME.

#include <QString>
#include <QStringList>

namespace vl {

inline QString noSkinEntry() {
    return QStringLiteral("no skin");
}

// "no skin", then the skin names in the reverse of the order the files were found.
QStringList skinListFromFiles(const QStringList& fileNamesInFoundOrder);

// The skin list for the skins folder of the program folder.
QStringList skinList(const QString& programFolder);

// The style sheet of a skin entry; empty for "no skin" or a missing or unreadable file.
QString skinStyleSheet(const QString& programFolder, const QString& entry);

// The position bars' own style, the same under every skin: a widget's own style sheet is
// what shields it from the application's, an empty one does not.
QString unskinnedPositionBarStyle();

// Points for the song list: the number in the setlist text size field; a field that is
// not a positive number gives `defaultPoints`; very large numbers are held at a size a
// screen can still show.
inline constexpr int kMaxListFontPoints = 400;
int listFontPoints(const QString& setlistTextSize, int defaultPoints);

} // namespace vl
