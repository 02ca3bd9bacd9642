#include "app/BandViewShow.h"

#include "app/Application.h"
#include "app/BandView.h"
#include "app/DarkMode.h"
#include "app/LyricLink.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "core/ShowCommandInbox.h"
#include "core/ShowSnapshot.h"
#include "lyrics/LyricView.h"
#include "lyrics/Lyrics.h"

#include <QFileInfo>

namespace vl {

namespace {

constexpr int kTickMs = 10;
constexpr double kBytesPerSecond = 44100.0 * 4;

int secondsOf(const QString& mmss) {
    const QStringList parts = mmss.split(u':');
    return parts.size() == 2 ? parts[0].toInt() * 60 + parts[1].toInt() : 0;
}

bool sameShow(const ShowSnapshot& a, const ShowSnapshot& b) {
    return a.setlistName == b.setlistName && a.titles == b.titles && a.lengthsSeconds == b.lengthsSeconds &&
           a.selectedRow == b.selectedRow && a.playingRow == b.playingRow && a.nextRow == b.nextRow &&
           a.playing == b.playing && a.elapsedSeconds == b.elapsedSeconds && a.lengthSeconds == b.lengthSeconds &&
           a.lyricShown == b.lyricShown && a.darkMode == b.darkMode && a.webLyric == b.webLyric &&
           a.midiSung == b.midiSung && a.midiSinging == b.midiSinging && a.midiComing == b.midiComing;
}

} // namespace

BandViewShow::BandViewShow(Application& app) : app_(app) {
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &BandViewShow::tick);
    timer_.start();
}

void BandViewShow::tick() {
    for (int i = 0; i < 8; ++i) {
        const std::optional<ShowCommand> command = app_.showCommands().take();
        if (!command) break;
        run(*command);
    }
    // Nobody reads the show while the band view is off.
    if (app_.bandView().running()) publish();
}

void BandViewShow::run(const ShowCommand& c) {
    using K = ShowCommand::Kind;
    MainLoop& loop = app_.mainLoop();
    const bool playing = app_.engine().GetPlaying() == 1;
    const bool lyricShown = app_.lyricLink().lyrics().view().isVisible();
    switch (c.kind) {
    case K::Play: if (!playing) loop.runCommand(MainWindow::Command::Play); break;
    case K::Stop: if (playing) loop.runCommand(MainWindow::Command::Play); break;
    case K::PlayPause: loop.runCommand(MainWindow::Command::Play); break;
    case K::Next: loop.runCommand(MainWindow::Command::Down); break;
    case K::Previous: loop.runCommand(MainWindow::Command::Up); break;
    case K::SelectRow:
        if (c.number >= 1 && c.number <= app_.songs().rowCount()) {
            app_.songs().select(c.number - 1);
            loop.songListClicked();
        }
        break;
    case K::ShowLyric: if (!lyricShown) loop.showLyricView(); break;
    case K::HideLyric: if (lyricShown) loop.showLyricView(); break;
    default: break;
    }
}

void BandViewShow::publish() {
    auto s = std::make_shared<ShowSnapshot>();
    const SongListModel& songs = app_.songs();
    const EngineFunctions& engine = app_.engine();
    s->language = QString::fromStdString(app_.state().interfaceLanguage);
    s->setlistName = QFileInfo(app_.state().setlistPath).completeBaseName();
    for (const SongListRow& row : songs.rows()) {
        s->titles << row.shownTitle();
        s->lengthsSeconds.push_back(secondsOf(row.time));
    }
    s->playing = engine.GetPlaying() == 1;
    s->selectedRow = songs.selectedRow() + 1;
    s->playingRow = s->playing ? songs.playingRow() + 1 : 0;
    const int rows = songs.rowCount();
    s->nextRow = s->playingRow > 0 ? (s->playingRow < rows ? s->playingRow + 1 : 0) : s->selectedRow;
    const int row = s->playingRow > 0 ? s->playingRow : s->selectedRow;
    if (s->playing) {
        s->elapsedSeconds = engine.GetSongPos() / kBytesPerSecond;
        s->lengthSeconds = engine.GetMaxSongPos() / kBytesPerSecond;
    } else if (row >= 1 && row <= rows) {
        s->lengthSeconds = s->lengthsSeconds[static_cast<std::size_t>(row - 1)];
    }
    s->takenAt = std::chrono::steady_clock::now();
    s->lyricShown = app_.lyricLink().lyrics().view().isVisible();
    s->darkMode = app_.darkMode().active();
    app_.bandView().fill(*s, row >= 1 && row <= rows ? songs.title(row - 1) : QString(), s->playing);
    if (last_ && sameShow(*last_, *s)) return;
    s->serial = last_ ? last_->serial + 1 : 1;
    last_ = s;
    app_.showBoard().publish(s);
}

} // namespace vl
