#include "songs/SongList.h"

#include "app/AppState.h"
#include "app/SongListColours.h"
#include "setlists/SetlistFile.h"
#include "songs/SongFolders.h"
#include "songs/SongInfoFile.h"
#include "songs/SongPaths.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>
#include <limits>

namespace vl {

namespace {

constexpr int kColumns = 4;

QString twoDigits(std::int64_t value) {
    return value < 10 ? QStringLiteral("0") + QString::number(value) : QString::number(value);
}

QTableWidgetItem* cell(QTableWidget& list, int row, int column) {
    QTableWidgetItem* item = list.item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
        list.setItem(row, column, item);
    }
    return item;
}

void setCellText(QTableWidget& list, int row, int column, const QString& text) {
    QTableWidgetItem* item = cell(list, row, column);
    if (item->text() != text) item->setText(text);
}

void scrollSoThatVisible(QTableWidget& list, int row) {
    if (QTableWidgetItem* item = list.item(row, 0)) list.scrollToItem(item);
}

} // namespace

QString formatSongTime(std::int64_t songBytes) {
    const std::int64_t seconds = songBytesToSeconds(std::max<std::int64_t>(songBytes, 0));
    const std::int64_t minutes = seconds / 60;
    return twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds - minutes * 60);
}

QString formatSongNumber(int number) {
    return QString::number(number).rightJustified(3, QLatin1Char('0'));
}

QStringList songListRows(const QTableWidget& list) {
    QStringList rows;
    rows.reserve(list.rowCount());
    for (int r = 0; r < list.rowCount(); ++r) {
        const QTableWidgetItem* item = list.item(r, 0);
        rows.append(item ? item->text() : QString());
    }
    return rows;
}

void refreshSongList(QTableWidget& list, AppState& state, bool playing, const QStringList* setRows) {
    const ListColours& colours = state.colours;
    const bool updates = list.updatesEnabled();
    list.setUpdatesEnabled(false);
    if (list.columnCount() < kColumns) list.setColumnCount(kColumns);

    if (setRows) {
        list.clearContents();
        list.setRowCount(static_cast<int>(setRows->size()));
        for (int r = 0; r < list.rowCount(); ++r)
            setCellText(list, r, 0, setRows->at(r));
        const int last = std::max(0, list.rowCount() - 1);
        if (state.selectedRow > last) {
            state.selectedRow = last;
            state.playingSong = state.selectedRow;
        }
        if (state.selectedRow >= 0 && state.selectedRow < list.rowCount()) {
            list.setCurrentCell(state.selectedRow, 0);
            scrollSoThatVisible(list, state.selectedRow);
        }
    }

    const QStringList rows = songListRows(list);
    if (!state.setlistPath.isEmpty()) writeSetlist(state.setlistPath, rows);

    std::int64_t total = 0;
    int number = 0;
    for (int r = 0; r < rows.size(); ++r) {
        // Rows that could name a place outside songsRoot are text, never opened.
        const bool songName = !songFolderPath(state.songsRoot, rows[r]).isEmpty();
        std::optional<std::int64_t> length;
        if (songName) length = readSongInfoLength(songInfoPath(state.songsRoot, rows[r]));
        if (!length) {
            // A heading or an untimed song starts the set time again.
            total = 0;
            for (int c = 1; c < kColumns; ++c)
                setCellText(list, r, c, QString());
            for (int c = 0; c < kColumns; ++c) {
                QTableWidgetItem* item = cell(list, r, c);
                item->setForeground(colours.listText);
                item->setBackground(colours.listBack);
            }
            continue;
        }
        length = std::max<std::int64_t>(*length, 0);
        total = *length > std::numeric_limits<std::int64_t>::max() - total
                    ? std::numeric_limits<std::int64_t>::max()
                    : total + *length;
        setCellText(list, r, 1, formatSongTime(total));
        setCellText(list, r, 2, formatSongTime(*length));
        setCellText(list, r, 3, formatSongNumber(number++));
        paintRowColours(list, r, colours, false);
    }

    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, colours.listBack);
    palette.setColor(QPalette::Text, colours.listText);
    list.setPalette(palette);
    for (int c = 0; c < std::min(3, list.columnCount()); ++c) {
        if (QTableWidgetItem* header = list.horizontalHeaderItem(c)) {
            header->setForeground(colours.headerText);
            header->setBackground(colours.listBack);
        }
    }
    list.setUpdatesEnabled(updates);

    if (playing) paintRowColours(list, state.currentSong, colours, true);
}

namespace {

bool selectRowBy(QTableWidget& list, AppState& state, bool playing, int step) {
    list.setFocus();
    const int n = list.rowCount();
    const int selected = list.currentRow();
    const int target = selected + step;
    if (selected >= 0 && target >= 0 && target < n) {
        // Up to three rows beyond the new one come into view, in the direction of the move.
        scrollSoThatVisible(list, step > 0 ? std::min(target + 3, n - 1) : std::max(target - 3, 0));
        list.setCurrentCell(target, 0);
    }
    if (list.currentRow() >= 0) state.selectedRow = list.currentRow();
    if (playing || list.currentRow() < 0) return false;
    state.currentSong = state.selectedRow;
    return true;
}

} // namespace

bool selectNextRow(QTableWidget& list, AppState& state, bool playing) {
    return selectRowBy(list, state, playing, 1);
}

bool selectPreviousRow(QTableWidget& list, AppState& state, bool playing) {
    return selectRowBy(list, state, playing, -1);
}

} // namespace vl
