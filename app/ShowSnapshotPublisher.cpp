#include "app/ShowSnapshotPublisher.h"

#include "app/Application.h"
#include "app/DarkMode.h"
#include "app/LyricLink.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "core/TimeTexts.h"
#include "lyrics/LyricView.h"
#include "setlists/SongListModel.h"
#include "songs/SongFolders.h"

#include <QFileInfo>

namespace vl {

ShowSnapshotPublisher::ShowSnapshotPublisher(Application& app) : app_(app) {
    connect(&app.mainLoop(), &MainLoop::ticked, this, &ShowSnapshotPublisher::publish);
    connect(&app.transport(), &Transport::playbackChanged, this, &ShowSnapshotPublisher::publish);
    connect(&app.songs(), &SongListModel::selectionChanged, this, &ShowSnapshotPublisher::publish);
    connect(&app.songs(), &SongListModel::rowsChanged, this, &ShowSnapshotPublisher::publish);
}

void ShowSnapshotPublisher::addReader(std::function<bool()> on,
                                      std::function<void(ShowSnapshot&, const QString&)> addFields) {
    readers_.push_back({std::move(on), std::move(addFields)});
}

void ShowSnapshotPublisher::publish() {
    bool wanted = false;
    for (const Reader& r : readers_) wanted = wanted || r.on();
    if (!wanted) return;
    ShowSnapshot now = read();
    const int songRow = now.playingRow > 0 ? now.playingRow : now.selectedRow;
    const QString song = songRow > 0 ? now.titles[songRow - 1] : QString();
    for (const Reader& r : readers_)
        if (r.addFields && r.on()) r.addFields(now, song);
    if (now.sameShow(*board_.latest())) return;
    now.serial = ++serial_;
    board_.publish(std::make_shared<const ShowSnapshot>(std::move(now)));
}

ShowSnapshot ShowSnapshotPublisher::read() const {
    const AppState& state = app_.state();
    const SongListModel& songs = app_.songs();
    const Transport& transport = app_.transport();
    const EngineFunctions& engine = app_.engine();
    ShowSnapshot s;
    s.language = QString::fromStdString(state.interfaceLanguage);
    s.setlistName = QFileInfo(state.setlistPath).completeBaseName();
    s.titles = songs.titles();
    s.lengthsSeconds.reserve(songs.rows().size());
    for (const SongListRow& row : songs.rows()) s.lengthsSeconds.push_back(songTimeSeconds(row.time));
    const int rows = songs.rowCount();
    const int selected = songs.selectedRow();
    s.selectedRow = selected >= 0 && selected < rows ? selected + 1 : 0;
    s.playing = transport.playing();
    const int playing = s.playing ? songs.playingRow() : -1;
    s.playingRow = playing >= 0 && playing < rows ? playing + 1 : 0;
    if (s.playingRow == 0) s.nextRow = s.selectedRow;
    else if (s.selectedRow != s.playingRow) s.nextRow = s.selectedRow;
    else if (s.playingRow < rows) s.nextRow = s.playingRow + 1;
    s.takenAt = std::chrono::steady_clock::now();
    if (s.playing) {
        s.elapsedSeconds = static_cast<double>(engine.GetSongPos()) / kSongBytesPerSecond;
        s.lengthSeconds = static_cast<double>(engine.GetMaxSongPos()) / kSongBytesPerSecond;
    } else if (s.selectedRow > 0) {
        s.lengthSeconds = s.lengthsSeconds[static_cast<std::size_t>(s.selectedRow - 1)];
    }
    const int songRow = s.playingRow > 0 ? s.playingRow : s.selectedRow;
    if (songRow > 0) {
        const QString folder = songFolderPath(state.songsRoot, s.titles[songRow - 1]);
        if (!folder.isEmpty()) s.songFolder = folder.endsWith(u'/') ? folder : folder + u'/';
    }
    s.lyricShown = app_.lyricLink().lyrics().view().isVisible();
    s.darkMode = app_.darkMode().active();
    s.masterLevel = state.masterFactor;
    return s;
}

} // namespace vl
