// Dispatch of the main window's controls, its keyboard commands, the song list's
// selection, type-ahead and drag-and-drop reordering.
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/RowMoves.h"
#include "setlists/SetEditor.h"
#include "setlists/Setlists.h"
#include "settings/Settings.h"
#include "app/SongListColours.h"
#include "songs/SongList.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QUrl>

namespace vl {

namespace {

struct ShortcutKey {
    int number;
    QKeySequence key;
};

// Commands of the main window by number, with their default keys.
std::vector<ShortcutKey> mainWindowShortcuts() {
    std::vector<ShortcutKey> keys = {{1, QKeySequence(Qt::Key_Up)},    {2, QKeySequence(Qt::Key_Down)},
                                     {3, QKeySequence(Qt::Key_Space)}, {4, QKeySequence(Qt::Key_Return)},
                                     {5, QKeySequence(Qt::Key_Left)},  {6, QKeySequence(Qt::Key_Right)},
                                     {7, QKeySequence(Qt::Key_Tab)}};
    for (int letter = 'A'; letter <= 'Z'; ++letter) keys.push_back({letter, QKeySequence(letter)});
    return keys;
}

} // namespace

void Application::registerShortcuts() {
    qDeleteAll(shortcuts_);
    shortcuts_.clear();
    for (const ShortcutKey& k : mainWindowShortcuts()) {
        auto* shortcut = new QShortcut(k.key, main_);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(k.number <= 2 || k.number == 5 || k.number == 6);
        connect(shortcut, &QShortcut::activated, this, [this, n = k.number] { runShortcut(n); });
        shortcuts_.push_back(shortcut);
    }
}

void Application::connectMainWindow() {
    MainWindow& w = *main_;
    w.onCloseRequest = [this] { handleCloseRequest(); };
    w.onMaximisedResize = [this] { placeDarkCanvas(); };
    connect(w.quitButton, &QPushButton::clicked, this, [this] { quitApplication(); });
    connect(w.switchModeButton, &QPushButton::clicked, this, [this] { toggleDarkMode(); });
    connect(w.settingsButton, &QPushButton::clicked, this, [this] { settings_->openSettingsWindow(); });
    connect(w.setLoadButton, &QPushButton::clicked, this,
            [this] { refuseWhilePlaying([this] { setlists_->loadSetlist(true); }); });
    connect(w.setEditButton, &QPushButton::clicked, this,
            [this] { refuseWhilePlaying([this] { setlists_->openSetEditor(); }); });
    connect(w.setCreateButton, &QPushButton::clicked, this,
            [this] { refuseWhilePlaying([this] { setlists_->saveSetlistAs(true); }); });
    connect(w.upButton, &QPushButton::clicked, this, [this] { stepSongList(false); });
    connect(w.downButton, &QPushButton::clicked, this, [this] { stepSongList(true); });
    connect(w.helpButton, &QPushButton::clicked, this, [this] { openHelpFolder(); });
    connect(w.playButton, &QPushButton::clicked, this, [this] { startPlayback(true); });
    connect(w.positionSlider, &QSlider::valueChanged, this, [this] { positionSliderMoved(); });
    connect(w.showButton, &QPushButton::clicked, this, [this] { showLyricView(); });
    w.songList->onClick = [this] { songListClicked(); };
    w.songList->onDoubleClick = [this] { songListDoubleClicked(); };
    w.songList->onDragStart = [this] { songListDragStarted(); };
    w.songList->onRowDropped = [this](int target) { songListRowDropped(target); };
}

void Application::runShortcut(int number) {
    if (!main_->isVisible()) return;
    switch (number) {
    case 1: stepSongList(false); break;
    case 2: stepSongList(true); break;
    case 3: startPlayback(true); break;
    case 4: showLyricView(); break;
    case 5: moveStartPosition(-20); break;
    case 6: moveStartPosition(20); break;
    case 7: toggleDarkMode(); break;
    default:
        if (number >= 'A' && number <= 'Z') typeAhead(number);
        break;
    }
}

void Application::typeAhead(int letter) {
    const QChar typed(letter);
    if (state_.timerTicks > 20) state_.typeAheadText = typed;
    else state_.typeAheadText += typed;
    state_.timerTicks = 0;
    SongListWidget& list = *main_->songList;
    for (int r = 0; r < list.rowCount(); ++r) {
        QString title = list.title(r).toUpper();
        title.remove(QLatin1Char(' '));
        if (!title.startsWith(state_.typeAheadText)) continue;
        const int show = rowToShowFor(r, list.rowCount(), list.selectedRow());
        if (QTableWidgetItem* cell = list.item(show, 0)) list.scrollToItem(cell);
        list.selectRow(r);
        return;
    }
}

void Application::songListClicked() {
    SongListWidget& list = *main_->songList;
    const int selected = list.selectedRow();
    if (selected >= 0) state_.selectedRow = selected;
    else list.selectRow(state_.selectedRow);
    if (!playing()) state_.currentSong = state_.selectedRow;
}

void Application::songListDoubleClicked() {
    // 0 program editor, 1 lyric editor, 2 lyric, 3 play / stop; the editors join when
    // they exist.
    if (prefs().doubleClickAction == 3) startPlayback(true);
    else if (prefs().doubleClickAction == 2) showLyricView();
    songListClicked();
}

void Application::stepSongList(bool down) {
    SongListWidget& list = *main_->songList;
    if (down) selectNextRow(list, state_, playing());
    else selectPreviousRow(list, state_, playing());
    drawDarkSetlist();
}

void Application::songListDragStarted() { state_.dragSourceRow = main_->songList->selectedRow(); }

void Application::songListRowDropped(int target) {
    SongListWidget& list = *main_->songList;
    const int from = state_.dragSourceRow;
    if (target == from || from < 0 || from >= list.rowCount() || target < 0 || target >= list.rowCount()) return;
    paintRowColours(list, state_.currentSong, state_.colours, false);
    list.setUpdatesEnabled(false);
    QStringList columns;
    for (int c = 0; c < 3; ++c) columns << (list.item(from, c) ? list.item(from, c)->text() : QString());
    list.removeRow(from);
    list.insertRow(target);
    for (int c = 0; c < 3; ++c) list.setItem(target, c, new QTableWidgetItem(columns[c]));
    list.setHorizontalHeaderItem(1, new QTableWidgetItem(QStringLiteral("set time")));
    list.setHorizontalHeaderItem(2, new QTableWidgetItem(QStringLiteral("time")));
    list.setUpdatesEnabled(true);
    const int c = state_.currentSong;
    if (playing()) {
        const int moved = playingRowAfterMove(from, target, c);
        state_.currentSong = state_.playingSong = state_.selectedRow = moved;
    } else if (from == c) {
        state_.currentSong = state_.playingSong = state_.selectedRow = target;
    }
    setlists_->editor().setRows(songListRows(list));
    setlists_->editor().snapshot();
    setlists_->refreshSongList(false);
    list.selectRow(target);
    state_.selectedRow = target;
}

void Application::openHelpFolder() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(state_.programFolder + QStringLiteral("video tutorials/")));
}

void Application::refuseWhilePlaying(const std::function<void()>& command) {
    if (playing()) {
        dialogs().message(QString(), texts_[TextId::MessageStopAudioFirst]);
        return;
    }
    command();
}

void Application::showLyricView() {
    // The lyric view comes with its own window.
}

} // namespace vl
