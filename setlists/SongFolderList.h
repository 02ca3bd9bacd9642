#pragma once
// The set editor's SONG LIST: the song folders under songsRoot, dotted names in their own colour.

#include <QString>

class QListWidget;

namespace vl {

struct ListColours;

void scanSongFolders(QListWidget& songs, const QString& songsRoot, bool onlyFolders, const ListColours& colours);

} // namespace vl
