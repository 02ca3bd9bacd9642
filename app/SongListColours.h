#pragma once
// Cell colours of the song list's rows: each column its own text colour on the list
// background, the playing row in the playing pair.

#include "app/ListColours.h"

class QTableWidget;

namespace vl {

// Paints the four cells of `row`, making missing cells; rows outside the list are ignored.
void paintRowColours(QTableWidget& list, int row, const ListColours& colours, bool playing);

// Every row in its normal colours, and `playingRow` (if a row) in the playing pair.
void paintAllRowColours(QTableWidget& list, const ListColours& colours, int playingRow);

} // namespace vl
