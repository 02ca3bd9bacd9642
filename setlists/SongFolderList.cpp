#include "setlists/SongFolderList.h"

#include "core/ListColours.h"
#include "songs/SongFolders.h"

#include <QListWidget>

namespace vl {

void scanSongFolders(QListWidget& songs, const QString& songsRoot, bool onlyFolders, const ListColours& colours) {
    songs.clear();
    for (const SongFolderEntry& entry : listSongFolders(songsRoot, onlyFolders)) {
        auto* item = new QListWidgetItem(entry.name, &songs);
        item->setForeground(entry.dotted ? dottedEntryColour() : colours.listText);
        item->setBackground(colours.listBack);
    }
}

} // namespace vl
