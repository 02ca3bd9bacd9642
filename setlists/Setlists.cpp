#include "setlists/Setlists.h"

#include "core/AppState.h"
#include "core/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "setlists/SetEditor.h"
#include "setlists/SetlistFile.h"
#include "setlists/SongListModel.h"

#include <QFileInfo>
#include <QWidget>

#include <algorithm>

namespace vl {

namespace {

const QString kSetlistFilter = QStringLiteral("SetList (*.txt)");

} // namespace

Setlists::Setlists(Context context)
    : ctx_(std::move(context)), editor_(new SetEditor(ctx_.state, ctx_.texts, ctx_.dialogs)) {
    editor_->hide();
    connect(editor_, &SetEditor::saveAsRequested, this, [this] { saveSetlistAs(false); });
    connect(editor_, &SetEditor::okRequested, this, &Setlists::closeSetEditor);
    connect(&ctx_.songs, &SongListModel::setlistNotSaved, this, &Setlists::sayNotSaved);
}

void Setlists::sayNotSaved(const QString& path) {
    ctx_.dialogs.message(ctx_.texts[TextId::MessageTemplateErrorTitle], ctx_.texts[StatusText::SetlistNotSaved].arg(path));
}

bool Setlists::writeRows(const QString& path, const QStringList& rows) {
    if (path.isEmpty() || writeSetlist(path, rows)) return true;
    sayNotSaved(path);
    return false;
}

Setlists::~Setlists() {
    delete editor_;
}

void Setlists::focusSongList() {
    if (ctx_.songListView) ctx_.songListView->setFocus();
}

void Setlists::refreshSongList(bool takeSetList) {
    if (takeSetList) return takeRows(ctx_.songs, ctx_.state, editor_->rows(), playing());
    ctx_.songs.refresh();
    ctx_.songs.setPlayingRow(playing() ? ctx_.state.currentSong : -1);
}

void Setlists::loadSetlist(bool ask) {
    AppState& state = ctx_.state;
    if (ask) {
        const QString chosen =
            ctx_.dialogs.chooseOpenFile(QStringLiteral("load setlist..."), state.songsRoot, kSetlistFilter);
        if (chosen.isEmpty()) return focusSongList();
        state.songsRoot = folderOf(chosen);
        state.setlistPath = chosen;
    }
    QStringList rows = ctx_.songs.titles();
    if (const auto read = readSetlist(state.setlistPath)) rows = *read;
    takeSetlistRows(rows);
}

bool Setlists::loadSetlistFile(const QString& path) {
    const auto read = readSetlist(path);
    if (!read) return false;
    ctx_.state.songsRoot = folderOf(path);
    ctx_.state.setlistPath = path;
    takeSetlistRows(*read);
    return true;
}

void Setlists::takeSetlistRows(const QStringList& rows) {
    AppState& state = ctx_.state;
    editor_->rescanSongs();
    if (ctx_.resetPosition) ctx_.resetPosition();
    state.selectedRow = state.currentSong = state.playingSong = 0;
    editor_->setRows(rows);
    editor_->resetUndo();
    refreshSongList(true);
    focusSongList();
}

void Setlists::saveSetlistAs(bool startEmpty) {
    AppState& state = ctx_.state;
    const QString chosen = ctx_.dialogs.chooseSaveFile(ctx_.texts[TextId::SetlistSavePickerTitle],
                                                       state.songsRoot, kSetlistFilter);
    if (chosen.isEmpty()) return focusSongList();
    // The question is about the file that will really be written.
    const QString path = setlistFileName(chosen);
    if (QFileInfo::exists(path) &&
        !ctx_.dialogs.askYesNo(ctx_.texts[TextId::ConfirmTitle], ctx_.texts[TextId::MessageOverwriteSetlist],
                               EnterAnswers::No))
        return;
    // Written before anything changes, so a failed save leaves every list and path as it was.
    if (!writeRows(path, startEmpty ? QStringList() : editor_->rows())) return;
    state.songsRoot = folderOf(path);
    state.setlistPath = path;
    if (startEmpty) editor_->setRows({});
    refreshSongList(true);
    focusSongList();
    editor_->resetUndo();
}

void Setlists::openSetEditor() {
    editor_->rescanSongs();
    editor_->setRows(ctx_.songs.titles());
    const QPoint at = ctx_.mainWindow ? ctx_.mainWindow->geometry().topLeft() : editor_->geometry().topLeft();
    editor_->setGeometry(QRect(at, QSize(794, 464)));
    editor_->show();
    editor_->activateWindow();
    editor_->raise();
    if (ctx_.mainWindow) ctx_.mainWindow->hide();
}

void Setlists::closeSetEditor() {
    // The editor keeps its rows on screen until they are in the file.
    if (!writeRows(ctx_.state.setlistPath, editor_->rows())) return;
    editor_->hide();
    if (QWidget* main = ctx_.mainWindow) {
        main->setGeometry(QRect(editor_->geometry().topLeft(), QSize(794, 464)));
        main->show();
        main->activateWindow();
        main->raise();
    }
    refreshSongList(true);
    focusSongList();
}

} // namespace vl
