#pragma once
// Where the playing song's row ends up when another row is dragged from `from` to `to`.

namespace vl {

inline int playingRowAfterMove(int from, int to, int playingRow) {
    const int c = playingRow;
    if (from > c && to < c) return c + 1;
    if (from < c && to > c) return c - 1;
    if (to == c && from > c) return c + 1;
    if (to == c && from < c) return c - 1;
    if (from == c) return to;
    return c;
}

// The row a type-ahead or program-change search asks the list to show so that a few
// rows after the found row `found` are visible too.
inline int rowToShowFor(int found, int rowCount, int currentSelection) {
    int offset = found > 5 ? 5 : 0;
    if (found < currentSelection) offset = 0;
    if (found > rowCount - 6) offset = rowCount - found - 1;
    return found + offset;
}

} // namespace vl
