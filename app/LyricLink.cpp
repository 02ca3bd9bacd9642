#include "app/LyricLink.h"

#include "app/Application.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "core/AppState.h"
#include "lyrics/LyricEditor.h"
#include "lyrics/LyricTextView.h"
#include "lyrics/LyricView.h"
#include "setlists/SongListModel.h"
#include "settings/Settings.h"
#include "songs/SongFolders.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>

#include <algorithm>

namespace vl {

LyricLink::LyricLink(Application& app) : app_(app) {
    lyrics_ = std::make_unique<Lyrics>(LyricContext{app.state(), app.engine(), app.texts(), app.fonts(),
                                                    *app.services_.dialogs, *this});
    LyricView& view = lyrics_->view();
    LyricEditor& editor = lyrics_->editor();
    MainLoop& loop = app.mainLoop();
    Transport& transport = app.transport();

    connect(&loop, &MainLoop::lyricViewWanted, this, [this] {
        takeHighlightedSong();
        lyrics_->showLyricView();
    });
    connect(&loop, &MainLoop::lyricEditorWanted, this, &LyricLink::editLyric);
    connect(&loop, &MainLoop::timerTicked, this, &LyricLink::timerTick);
    connect(&loop, &MainLoop::fastTicked, lyrics_.get(), &Lyrics::updateLyricDisplay);
    // After the main loop's own handling, which sets the current song.
    connect(&app.main()->songList(), &SongListWidget::listClicked, this, &LyricLink::showCurrentSongTitle);

    connect(&view, &LyricView::spacePressed, &transport, &Transport::stopPlayback);
    // The user's hotkeys: "show lyric" as RETURN, play / stop as SPACE.
    loop.addShortcutWindow(view, ShortcutWindow::LyricView, [&view](int number) {
        if (number == 10) emit view.returnPressed();
        else emit view.spacePressed();
    });
    connect(&transport, &Transport::timeTextChanged, this, [&view, &editor](const QString& time, const QString& top) {
        editor.showTime(time);
        view.lyricTopLine().setText(top);
    });
    connect(&transport, &Transport::positionShown, this, [&view, &editor](int perMille) {
        editor.showPosition(perMille);
        view.lyricPositionBar().setValue(std::clamp(perMille, 0, 1000));
    });
    connect(&transport, &Transport::songStarting, this, &LyricLink::songStarting);
    connect(&transport, &Transport::lyricWanted, lyrics_.get(), &Lyrics::showLyricViewForPlay);
    connect(&transport, &Transport::songStopped, this, &LyricLink::songStopped);
    connect(&transport, &Transport::songAdvanced, lyrics_.get(), [this] { lyrics_->loadLyric(); });
    connect(&transport, &Transport::playbackChanged, this,
            [this] { lyrics_->editor().showPlaying(app_.transport().playing()); });
    transport.setLyricEditorOpen([this] { return lyrics_->editor().isVisible(); });

    // The editor's play button pauses: the start point becomes where the song is now.
    connect(&editor, &LyricEditor::playRequested, this, [this] {
        app_.state().startPosition = app_.main()->startPoint();
        app_.transport().startPlayback(true);
    });
    connect(&editor, &LyricEditor::positionMoved, this, [this](int perMille) {
        if (app_.transport().playing()) app_.transport().stopPlayback();
        app_.main()->showPosition(perMille);
    });
    connect(&editor, &LyricEditor::zoomToggled, this, [this](bool on) { app_.prefs().lyricZoom = on; });
    connect(&app.settings(), &Settings::preferencesChanged, this, [this] {
        QCheckBox* zoom = lyrics_->editor().controls().zoomBox;
        const QSignalBlocker quiet(zoom);
        zoom->setChecked(app_.prefs().lyricZoom);
    });
}

LyricLink::~LyricLink() = default;

QWidget* LyricLink::mainWindow() { return app_.main(); }

void LyricLink::focusSongList() {
    if (app_.main()) app_.main()->focusSongList();
}

int LyricLink::lyricRow() {
    const AppState& state = app_.state();
    if (app_.transport().playing()) return state.playingSong;
    // Type-ahead and a MIDI program change move the highlight without a click.
    const int highlighted = app_.songs().selectedRow();
    return highlighted >= 0 ? highlighted : state.selectedRow;
}

void LyricLink::takeHighlightedSong() {
    if (app_.transport().playing()) return;
    // As a click on the row would: the top line then names the song whose lyric shows.
    AppState& state = app_.state();
    state.selectedRow = state.currentSong = lyricRow();
}

QString LyricLink::lyricSongName() { return app_.songs().title(lyricRow()); }

bool LyricLink::lyricSecondWindow() { return app_.state().lyricSecondWindow; }

int LyricLink::screenSizeIndex() { return app_.prefs().screenSizeIndex; }

bool LyricLink::lyricZoom() { return app_.prefs().lyricZoom; }

void LyricLink::editLyric() {
    takeHighlightedSong();
    const QString song = lyricSongName();
    if (!ensureSongFile(SongFileKind::Lyric, song, app_.state().songsRoot, app_.state().programFolder,
                        *app_.services_.dialogs, app_.texts()))
        return;
    if (lyrics_->loadLyric() == Lyrics::LoadResult::Loaded) lyrics_->openLyricEditor();
}

void LyricLink::timerTick() {
    lyrics_->keepSecondWindow();
    if (!app_.transport().playing()) showCurrentSongTitle();
}

void LyricLink::showCurrentSongTitle() {
    lyrics_->view().lyricTopLine().setText(app_.songs().title(app_.state().currentSong));
}

void LyricLink::songStarting() {
    lyrics_->resetLyricFollower();
    if (lyrics_->editor().isVisible()) return;
    lyrics_->loadLyric();
    lyrics_->selectLyricMode();
}

void LyricLink::songStopped() {
    if (lyrics_->view().isVisible()) lyrics_->showLyricView();
    lyrics_->view().clearLyric();
}

} // namespace vl
