#include "songs/SongList.h"

#include "app/AppState.h"
#include "setlists/SetlistFile.h"
#include "songs/SongFolders.h"

#include <QFile>
#include <QHeaderView>
#include <QTableWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

namespace vl {

namespace {

constexpr int kColumns = 4;
constexpr std::int64_t kSongBytesPerSecond = 4 * 44100;

QString twoDigits(std::int64_t value) {
    return value < 10 ? QStringLiteral("0") + QString::number(value) : QString::number(value);
}

// Leading blanks, an optional sign, then digits up to the first other character.
std::int64_t parseLength(const char* text, std::size_t size) {
    std::size_t i = 0;
    while (i < size && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < size && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return negative ? 0 : std::numeric_limits<std::int64_t>::max();
        value = value * 10 + digit;
    }
    return negative ? 0 : value;
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
    const std::int64_t seconds = std::max<std::int64_t>(songBytes, 0) / kSongBytesPerSecond;
    const std::int64_t minutes = seconds / 60;
    return twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds - minutes * 60);
}

QString formatSongNumber(int number) {
    return QString::number(number).rightJustified(3, QLatin1Char('0'));
}

std::optional<std::int64_t> readSongLength(const QString& infoPath) {
    // Called for every row on every refresh, so only the first bytes are read.
    const QByteArray name = QFile::encodeName(infoPath);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    char buffer[64];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got < 0) return std::nullopt;
    std::size_t size = static_cast<std::size_t>(got);
    // Skips a UTF-8 byte order mark an editor may have added.
    const char* text = buffer;
    if (size >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
        text += 3;
        size -= 3;
    }
    return parseLength(text, size);
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

void paintSongListRow(QTableWidget& list, int row, const ListColours& colours, bool asPlaying) {
    if (row < 0 || row >= list.rowCount()) return;
    for (int c = 0; c < std::min(kColumns, list.columnCount()); ++c) {
        QTableWidgetItem* item = cell(list, row, c);
        item->setForeground(asPlaying ? colours.playingText : colours.columnText(c));
        item->setBackground(asPlaying ? colours.playingBack : colours.listBack);
    }
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
        const QString folder = songFolderPath(state.songsRoot, rows[r]);
        const std::optional<std::int64_t> length =
            folder.isEmpty() ? std::nullopt : readSongLength(folder + QStringLiteral("/inf"));
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
        total = *length > std::numeric_limits<std::int64_t>::max() - total
                    ? std::numeric_limits<std::int64_t>::max()
                    : total + *length;
        setCellText(list, r, 1, formatSongTime(total));
        setCellText(list, r, 2, formatSongTime(*length));
        setCellText(list, r, 3, formatSongNumber(number++));
        paintSongListRow(list, r, colours, false);
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

    if (playing) paintSongListRow(list, state.currentSong, colours, true);
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
