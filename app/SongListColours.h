#pragma once
// Cell colours of the song list's rows: each column its own text colour on the list
// background, the playing row in the playing pair.

#include "app/ListColours.h"

class QTableWidget;

namespace vl {

// Paints the four cells of `row`, making missing cells; rows outside the list are ignored.
void paintRowColours(QTableWidget& list, int row, const ListColours& colours, bool playing);

} // namespace vl
