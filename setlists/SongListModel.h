#pragma once
// The song list: the setlist's rows with each song's length from its info file, the running
// set time and the running number; which row is highlighted and which one plays. The main
// window's list and the dark setlist show it; the set editor takes and returns its titles.
// Every change of the rows is written to the setlist file at once.

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace vl {

// Song names are at most 255 characters in every other file; views show no more of a row.
inline constexpr int kShownRowLength = 255;

struct AppState;

struct SongListRow {
    QString title;
    QString setTime; // empty for a heading or a song without a length
    QString time;
    QString number;
    bool timed() const { return !time.isEmpty(); }
    // What the views show: song names are at most 255 characters in every other file, and a
    // row of megabytes would stall the interface while its text is laid out. The setlist
    // file keeps the whole row.
    QString shownTitle() const { return title.left(kShownRowLength); }
};

// mm:ss of a length in song bytes; minutes are not limited to two digits.
QString formatSongTime(std::int64_t songBytes);

// Three digits with leading zeros, more from 1000 on.
QString formatSongNumber(int number);

class SongListModel : public QObject {
    Q_OBJECT
  public:
    // The songs root and the setlist path are read from `state` at every refresh.
    explicit SongListModel(const AppState& state) : state_(state) {}

    int rowCount() const { return static_cast<int>(rows_.size()); }
    const std::vector<SongListRow>& rows() const { return rows_; }
    // The title of `row`; empty outside the list.
    QString title(int row) const;
    QStringList titles() const;

    // New rows (a setlist read, the set editor's OK); their times are read anew. The
    // highlight stays where it was while that row is still there, else on the last row.
    void setTitles(const QStringList& titles);
    // Every row's time read again from its info file, and the setlist file written.
    void refresh();
    // One row dragged to another place. False when either row is outside the list.
    bool moveRow(int from, int to);

    // The highlighted row, -1 for none.
    int selectedRow() const { return selected_; }
    // Highlights `row`; a row outside the list clears the highlight. `show` is the row the
    // views bring into view (the selected one when -1).
    void select(int row, int show = -1);
    // The row drawn as playing, -1 for none.
    int playingRow() const { return playing_; }
    void setPlayingRow(int row);

  signals:
    void rowsChanged();
    void selectionChanged(int row, int show);
    void playingRowChanged(int row);
    // The rows could not be written to the setlist file, which keeps what it held.
    void setlistNotSaved(const QString& path);

  private:
    void readTimes();

    const AppState& state_;
    std::vector<SongListRow> rows_;
    int selected_ = -1;
    int playing_ = -1;
};

// The song list takes new rows: the selection and the playing song are pulled in when the
// list got shorter, the highlight goes to the selection, and the playing row is marked
// while a song plays.
void takeRows(SongListModel& list, AppState& state, const QStringList& titles, bool playing);

// UP / DOWN: the highlight moves one row, up to three rows beyond it coming into view. The
// selection follows it; so does the current song while nothing plays, and then the answer is
// true so that the caller shows its title.
bool stepSelection(SongListModel& list, AppState& state, bool playing, int step);

// The song whose program or lyric an editor works on: the playing row while playing, else
// the selected one; none when the highlight is not on the current song.
QString songForFile(const SongListModel& list, const AppState& state, bool playing);

} // namespace vl
