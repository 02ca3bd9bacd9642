#include "app/ShowCommandsRunner.h"

#include "app/Application.h"
#include "app/DarkMode.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "core/TimeTexts.h"
#include "remote/FollowerLink.h"

namespace vl {

void ShowCommandsRunner::runPending() {
    ShowCommand c;
    while (app_.showCommands().take(c)) run(c);
    publish();
}

void ShowCommandsRunner::run(const ShowCommand& c) {
    using K = ShowCommand::Kind;
    Transport& t = app_.transport();
    SongListModel& songs = app_.songs();
    const auto selectTitle = [&](const QString& title) {
        for (int r = 0; r < songs.rowCount(); ++r)
            if (songs.title(r) == title) return songs.select(r), true;
        return false;
    };
    switch (c.kind) {
    case K::Play: if (!t.playing()) t.startPlayback(true); break;
    case K::Stop: if (t.playing()) t.stopPlayback(); break;
    case K::PlayPause: t.startPlayback(true); break;
    case K::Next: app_.mainLoop().runCommand(MainWindow::Command::Down); break;
    case K::Previous: app_.mainLoop().runCommand(MainWindow::Command::Up); break;
    case K::SelectRow: if (c.number >= 1 && c.number <= songs.rowCount()) songs.select(c.number - 1); break;
    case K::SelectTitle: selectTitle(c.text); break;
    case K::ShowLyric: app_.mainLoop().showLyricView(); break;
    case K::DarkMode: if (app_.darkMode().active() != (c.number == 1)) app_.darkMode().toggle(); break;
    case K::PlayAt: {
        if (t.playing()) t.stopPlayback();
        if (!selectTitle(c.text)) break;
        app_.state().startPosition = 0;
        app_.main()->setStartPoint(0);
        // Where the main is by the time this engine sounds: the way here, and the start's own time.
        t.startNextAt([c](double lastStart) {
            const double travelled = c.clockNs ? double(systemClockNs() - c.clockNs) / 1e9 : 0;
            return c.value + travelled + lastStart;
        });
        t.startPlayback(true);
        break;
    }
    default: break;
    }
}

void ShowCommandsRunner::publish() {
    auto s = std::make_shared<ShowSnapshot>();
    SongListModel& songs = app_.songs();
    for (int r = 0; r < songs.rowCount(); ++r) {
        s->titles << songs.title(r);
        s->lengthsSeconds.push_back(songs.rows()[std::size_t(r)].timed() ? 1 : 0);
    }
    s->selectedRow = songs.selectedRow() + 1;
    s->playing = app_.transport().playing();
    s->playingRow = s->playing ? app_.state().playingSong + 1 : 0;
    const int from = s->playing ? s->playingRow : s->selectedRow;
    s->nextRow = from < songs.rowCount() ? from + 1 : 0;
    const EngineFunctions& e = app_.engine();
    if (s->playing) {
        s->elapsedSeconds = double(e.GetSongPos()) / kSongBytesPerSecond;
        s->lengthSeconds = double(e.GetMaxSongPos()) / kSongBytesPerSecond;
    }
    s->takenAt = std::chrono::steady_clock::now();
    app_.showBoard().publish(s);
}

} // namespace vl
