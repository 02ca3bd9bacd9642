#include "app/ShowCommandRunner.h"

#include "app/Application.h"
#include "app/DarkMode.h"
#include "app/LyricLink.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/RowMoves.h"
#include "app/Transport.h"
#include "core/SystemClock.h"
#include "core/TimeTexts.h"
#include "lyrics/LyricView.h"
#include "setlists/SetlistFile.h"
#include "setlists/Setlists.h"
#include "setlists/SongListModel.h"

#include <QMetaObject>

#include <algorithm>
#include <cmath>

namespace vl {

ShowCommandRunner::ShowCommandRunner(Application& app) : app_(app) {
    // Queued: the posting thread only schedules the drain, it never runs interface code.
    inbox_.setWake([this] { QMetaObject::invokeMethod(this, &ShowCommandRunner::drain, Qt::QueuedConnection); });
}

void ShowCommandRunner::drain() {
    for (const ShowCommand& command : inbox_.takeAll()) run(command);
}

void ShowCommandRunner::selectRow(Application& app, int row) {
    if (MainWindow* main = app.main()) main->focusSongList();
    SongListModel& songs = app.songs();
    songs.select(row, rowToShowFor(row, songs.rowCount(), songs.selectedRow()));
}

int ShowCommandRunner::rowOfTitle(const QString& title) const {
    const QString wanted = title.trimmed();
    if (wanted.isEmpty()) return 0;
    const auto& rows = app_.songs().rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].title.trimmed().compare(wanted, Qt::CaseInsensitive) == 0) return static_cast<int>(i) + 1;
    return 0;
}

bool ShowCommandRunner::run(const ShowCommand& c) {
    using K = ShowCommand::Kind;
    Transport& transport = app_.transport();
    MainLoop& loop = app_.mainLoop();
    switch (c.kind) {
    case K::Play:
        if (!transport.playing()) transport.startPlayback(true);
        return true;
    case K::Stop:
        if (transport.playing()) transport.stopPlayback();
        return true;
    case K::PlayPause: transport.startPlayback(true); return true;
    case K::Next: loop.runCommand(MainWindow::Command::Down); return true;
    case K::Previous: loop.runCommand(MainWindow::Command::Up); return true;
    case K::SelectRow:
        if (c.number < 1 || c.number > app_.songs().rowCount()) return false;
        selectRow(app_, c.number - 1);
        return true;
    case K::SelectTitle: {
        const int row = rowOfTitle(c.text);
        if (row == 0) return false;
        selectRow(app_, row - 1);
        return true;
    }
    case K::Locate: return locate(c.value, c.clockNs);
    case K::PlayAt: {
        const int row = rowOfTitle(c.text);
        if (row == 0) return false;
        if (transport.playing()) transport.stopPlayback();
        selectRow(app_, row - 1);
        app_.state().currentSong = row - 1;
        app_.state().playingSong = row - 1; // the start point below is this song's
        if (!locate(c.value, 0)) return false;
        startExactlyAt(c.value, c.clockNs);
        transport.startPlayback(true);
        return true;
    }
    case K::ShowLyric:
        if (!app_.lyricLink().lyrics().view().isVisible()) loop.showLyricView();
        return true;
    case K::HideLyric:
        if (app_.lyricLink().lyrics().view().isVisible()) emit app_.lyricLink().lyrics().view().leaveRequested();
        return true;
    case K::DarkMode:
        if (app_.darkMode().active() != (c.number != 0)) app_.darkMode().toggle();
        return true;
    case K::Master:
        if (!std::isfinite(c.value)) return false;
        app_.state().masterFactor = static_cast<float>(std::clamp(c.value, 0.0, 1.0));
        transport.applyMixer();
        return true;
    case K::LoadSetlist: return loadSetlist(c.text);
    }
    return false;
}

void ShowCommandRunner::startExactlyAt(double seconds, int64_t clockNs) {
    // Where the sender is by the time this engine sounds: the way here, and the start's own time.
    app_.transport().startNextAt([seconds, clockNs](double lastStartSeconds) {
        const double travelled = clockNs > 0 ? std::max(0.0, double(systemClockNs() - clockNs) / 1e9) : 0.0;
        return seconds + travelled + lastStartSeconds;
    });
}

bool ShowCommandRunner::locate(double seconds, int64_t clockNs) {
    if (!std::isfinite(seconds) || seconds < 0) return false;
    Transport& transport = app_.transport();
    const bool wasPlaying = transport.playing();
    double length = 0;
    if (wasPlaying) {
        length = static_cast<double>(app_.engine().GetMaxSongPos()) / kSongBytesPerSecond;
    } else {
        const int row = app_.songs().selectedRow();
        if (row >= 0 && row < app_.songs().rowCount())
            length = songTimeSeconds(app_.songs().rows()[static_cast<std::size_t>(row)].time);
    }
    if (length <= 0) return false;
    const int perMille = static_cast<int>(std::lround(std::min(seconds / length, 1.0) * 1000.0));
    MainWindow* main = app_.main();
    if (!main) return false;
    // The slider's own path: a move stops the song and sets the start point; a locate while
    // playing then goes on from there.
    const int playedRow = app_.songs().playingRow();
    main->setStartPoint(perMille);
    transport.positionSliderMoved();
    if (!wasPlaying) return true;
    // A locate is about the song that plays, wherever the highlight went meanwhile.
    if (playedRow >= 0 && app_.songs().selectedRow() != playedRow) {
        selectRow(app_, playedRow);
        main->setStartPoint(perMille);
    }
    startExactlyAt(seconds, clockNs);
    transport.startPlayback(true);
    return true;
}

bool ShowCommandRunner::loadSetlist(const QString& name) {
    // A name, never a path: nothing from outside reaches another folder.
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(u'/') || trimmed.contains(u'\\') || trimmed.startsWith(u'.')) return false;
    if (app_.transport().playing()) return false;
    return app_.setlists().loadSetlistFile(app_.state().songsRoot + setlistFileName(trimmed));
}

} // namespace vl
