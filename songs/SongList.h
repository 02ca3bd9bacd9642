#pragma once
// The main window's song list: the setlist's rows with the running set time, each song's
// length and the running number, all read from the songs' info files on every refresh.

#include <QString>
#include <QStringList>

#include <cstdint>

class QTableWidget;

namespace vl {

struct AppState;
struct ListColours;

// mm:ss of a length in song bytes; minutes are not limited to two digits.
QString formatSongTime(std::int64_t songBytes);

// Three digits with leading zeros, more from 1000 on.
QString formatSongNumber(int number);

// The row texts of column 0, top to bottom.
QStringList songListRows(const QTableWidget& list);

// Rebuilds the columns. With setRows, the rows are replaced by them first. Rewrites the
// setlist file when setlistPath is set. `playing` marks the row currentSong.
void refreshSongList(QTableWidget& list, AppState& state, bool playing, const QStringList* setRows = nullptr);

// UP / DOWN. True when currentSong was set (nothing plays), so the caller shows its title;
// the caller redraws the main window either way.
bool selectNextRow(QTableWidget& list, AppState& state, bool playing);
bool selectPreviousRow(QTableWidget& list, AppState& state, bool playing);

} // namespace vl
