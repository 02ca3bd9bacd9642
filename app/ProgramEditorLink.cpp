#include "app/ProgramEditorLink.h"

#include "app/Application.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "mixer/ChannelEffectsWindow.h"
#include "mixer/ProgramEditorWindow.h"
#include "setlists/Setlists.h"
#include "setlists/SongListModel.h"

namespace vl {

ProgramEditorLink::ProgramEditorLink(Application& app) : app_(app) {
    editor_ = std::make_unique<ProgramEditor>(ProgramEditorContext{app_.state_, app_.program_, app_.programStore_,
                                                                   app_.engine_, *app_.services_.dialogs, app_.texts_,
                                                                   app_.fonts_, *this});
    ProgramEditor* editor = editor_.get();
    Transport* transport = app_.transport_.get();
    transport->setProgramEditorVisible([editor] { return editor->visible(); });
    QObject::connect(transport, &Transport::playbackChanged, editor,
                     [editor, transport] { editor->showPlaying(transport->playing()); });
    // Opened by a click (SONG EDIT or a double click on the list), which itself counts as a
    // touch: OK then asks to save.
    QObject::connect(app_.mainLoop_.get(), &MainLoop::songEditRequested, editor, [editor] {
        if (editor->openProgramEditor()) editor->markChanged();
    });
    QObject::connect(app_.mainLoop_.get(), &MainLoop::fastTicked, editor, &ProgramEditor::fastTick);
    // A start from the editor says there what the main window's notice line says.
    QObject::connect(transport, &Transport::songNoticeChanged, editor, [editor](const QString& text) {
        if (!text.isEmpty() && editor->visible()) editor->window().showNotice(text);
    });
    // The user's play / stop hotkey works in both windows, as SPACE does.
    auto play = [this](int) { startPlayback(false); };
    app_.mainLoop_->addShortcutWindow(editor->window(), ShortcutWindow::ProgramEditor, play);
    app_.mainLoop_->addShortcutWindow(editor->effects(), ShortcutWindow::ChannelEffects, play);
}

ProgramEditorLink::~ProgramEditorLink() {
    if (app_.transport_) app_.transport_->setProgramEditorVisible({});
}

QWidget* ProgramEditorLink::mainWindow() { return app_.main_; }

QString ProgramEditorLink::songToEdit() {
    return songForFile(app_.songs_, app_.state_, app_.transport_->playing());
}

LoadOutcome ProgramEditorLink::loadSongProgram() {
    SongListModel& songs = app_.songs_;
    const SongChoice choice{editor_ && editor_->visible(), songs.title(app_.state_.playingSong),
                            songs.title(songs.selectedRow())};
    const LoadOutcome outcome = app_.programStore_.loadSongProgram(app_.state_.songsRoot, choice);
    if (outcome.row == ChosenRow::Selected && songs.selectedRow() >= 0) app_.state_.selectedRow = songs.selectedRow();
    return outcome;
}

QString ProgramEditorLink::currentSongTitle() { return app_.songs_.title(app_.state_.currentSong); }

MixerInputs ProgramEditorLink::mixerInputs() { return app_.transport_->mixerInputs(); }

void ProgramEditorLink::startPlayback(bool reload) { app_.transport_->startPlayback(reload); }

void ProgramEditorLink::refreshSongList() {
    app_.setlists_->refreshSongList(false);
    app_.main_->focusSongList();
}

} // namespace vl
