#include "setlists/SongListModel.h"

#include "core/AppState.h"
#include "core/TimeTexts.h"
#include "setlists/SetlistFile.h"
#include "songs/SongFolders.h"
#include "songs/SongInfoFile.h"
#include "songs/SongPaths.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace vl {

QString formatSongTime(std::int64_t songBytes) {
    return minutesSeconds(static_cast<std::uint64_t>(std::max<std::int64_t>(songBytes, 0)));
}

QString formatSongNumber(int number) {
    return QString::number(number).rightJustified(3, QLatin1Char('0'));
}

QString SongListModel::title(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].title : QString();
}

QStringList SongListModel::titles() const {
    QStringList out;
    out.reserve(rowCount());
    for (const SongListRow& row : rows_) out.append(row.title);
    return out;
}

void SongListModel::setTitles(const QStringList& titles) {
    rows_.assign(static_cast<std::size_t>(titles.size()), {});
    for (int r = 0; r < titles.size(); ++r) rows_[static_cast<std::size_t>(r)].title = titles[r];
    if (selected_ >= rowCount()) selected_ = rowCount() - 1;
    if (playing_ >= rowCount()) playing_ = -1;
    refresh();
}

void SongListModel::refresh() {
    const QString path = state_.setlistPath;
    if (!path.isEmpty()) {
        const QStringList rows = titles();
        // Nothing is lost when the file already holds these rows (a write-protected setlist
        // rewritten after a program edit) or an empty list finds no file (a start whose
        // setlist folder is gone): no need to say anything then.
        if (!writeSetlist(path, rows) && readSetlist(path).value_or(QStringList()) != rows)
            emit setlistNotSaved(path);
    }
    readTimes();
    emit rowsChanged();
}

void SongListModel::readTimes() {
    std::int64_t total = 0;
    int number = 0;
    for (SongListRow& row : rows_) {
        // Rows that could name a place outside songsRoot are text, never opened.
        std::optional<std::int64_t> length;
        if (!songFolderPath(state_.songsRoot, row.title).isEmpty())
            length = readSongInfoLength(songInfoPath(state_.songsRoot, row.title));
        if (!length) {
            // A heading or an untimed song starts the set time again.
            total = 0;
            row.setTime.clear();
            row.time.clear();
            row.number.clear();
            continue;
        }
        length = std::max<std::int64_t>(*length, 0);
        total = *length > std::numeric_limits<std::int64_t>::max() - total ? std::numeric_limits<std::int64_t>::max()
                                                                           : total + *length;
        row.setTime = formatSongTime(total);
        row.time = formatSongTime(*length);
        row.number = formatSongNumber(number++);
    }
}

bool SongListModel::moveRow(int from, int to) {
    if (from < 0 || from >= rowCount() || to < 0 || to >= rowCount()) return false;
    const SongListRow moved = rows_[static_cast<std::size_t>(from)];
    rows_.erase(rows_.begin() + from);
    rows_.insert(rows_.begin() + to, moved);
    refresh();
    return true;
}

void SongListModel::select(int row, int show) {
    selected_ = row >= 0 && row < rowCount() ? row : -1;
    emit selectionChanged(selected_, show >= 0 ? show : selected_);
}

void SongListModel::setPlayingRow(int row) {
    const int playing = row >= 0 && row < rowCount() ? row : -1;
    if (playing == playing_) return;
    playing_ = playing;
    emit playingRowChanged(playing_);
}

void takeRows(SongListModel& list, AppState& state, const QStringList& titles, bool playing) {
    list.setTitles(titles);
    const int last = std::max(0, list.rowCount() - 1);
    if (state.selectedRow > last) {
        state.selectedRow = last;
        state.playingSong = state.selectedRow;
    }
    list.select(state.selectedRow);
    list.setPlayingRow(playing ? state.currentSong : -1);
}

bool stepSelection(SongListModel& list, AppState& state, bool playing, int step) {
    const int n = list.rowCount();
    const int selected = list.selectedRow();
    // Without a highlight either way starts at the first row.
    const int target = selected < 0 ? 0 : selected + step;
    if (target >= 0 && target < n)
        list.select(target, step > 0 ? std::min(target + 3, n - 1) : std::max(target - 3, 0));
    if (list.selectedRow() >= 0) state.selectedRow = list.selectedRow();
    if (playing || list.selectedRow() < 0) return false;
    state.currentSong = state.selectedRow;
    return true;
}

QString songForFile(const SongListModel& list, const AppState& state, bool playing) {
    if (list.selectedRow() != state.currentSong) return {};
    return list.title(playing ? state.playingSong : state.selectedRow);
}

} // namespace vl
