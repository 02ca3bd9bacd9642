#include "app/SongListColours.h"

#include <QTableWidget>

namespace vl {

void paintRowColours(QTableWidget& list, int row, const ListColours& colours, bool playing) {
    if (row < 0 || row >= list.rowCount()) return;
    for (int c = 0; c < list.columnCount(); ++c) {
        QTableWidgetItem* cell = list.item(row, c);
        if (!cell) {
            cell = new QTableWidgetItem;
            list.setItem(row, c, cell);
        }
        cell->setForeground(playing ? colours.playingText : colours.columnText(c));
        cell->setBackground(playing ? colours.playingBack : colours.listBack);
    }
}

} // namespace vl
