#include "app/MainLoop.h"

#include "app/DarkMode.h"
#include "app/ProgramFolder.h"
#include "app/RowMoves.h"
#include "app/Transport.h"
#include "core/AppState.h"
#include "core/EngineFunctions.h"
#include "core/InterfaceTexts.h"
#include "midi/Shortcuts.h"
#include "platform/Dialogs.h"
#include "setlists/SetEditor.h"
#include "setlists/Setlists.h"
#include "setlists/SongListModel.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QUrl>

namespace vl {

MainLoop::MainLoop(Parts parts) : p_(parts) {
    MainWindow& w = p_.window;
    connect(&w, &MainWindow::commandClicked, this, &MainLoop::runCommand);
    connect(&w, &MainWindow::startPointMoved, &p_.transport, &Transport::positionSliderMoved);
    connect(&w, &MainWindow::maximisedResized, &p_.darkMode, &DarkMode::placeCanvas);
    connect(&w, &MainWindow::maximisedFromOutside, &p_.darkMode, &DarkMode::followWindowState, Qt::QueuedConnection);
    SongListWidget& list = w.songList();
    connect(&list, &SongListWidget::listClicked, this, &MainLoop::songListClicked);
    connect(&list, &SongListWidget::listDoubleClicked, this, &MainLoop::songListDoubleClicked);
    connect(&list, &SongListWidget::rowDragStarted, this, &MainLoop::songListDragStarted);
    connect(&list, &SongListWidget::rowDropped, this, &MainLoop::songListRowDropped);
    connect(&p_.transport, &Transport::playbackChanged, &p_.darkMode, &DarkMode::draw);
    connect(&p_.transport, &Transport::songClockChanged, &p_.darkMode, &DarkMode::drawClock);
}

void MainLoop::mainWindowCallback(int timerNumber) {
    AppState& state = p_.state;
    p_.engine.WndMainProc(&p_.window, kTimerMessage, static_cast<uint32_t>(timerNumber), 0);
    ++state.timerTicks;
    state.lyricSecondWindow = p_.settings.prefs().lyricSecondWindow;
    emit timerTicked(timerNumber);
    if (timerNumber == 0) {
        p_.transport.updatePositionDisplays();
        p_.transport.updateTimeDisplay();
        emit fastTicked();
        if (p_.settings.window()->isVisible()) p_.transport.applyMixer();
    } else if (timerNumber == 1) {
        if (p_.darkMode.active()) p_.darkMode.draw();
        showDeviceState();
    }
    emit ticked();
}

void MainLoop::showDeviceState() {
    const int deviceState = p_.engine.GetDeviceState ? p_.engine.GetDeviceState() : VL_DEVICE_FINE;
    switch (deviceState) {
    case VL_DEVICE_LOST: p_.window.showNotice(p_.texts[StatusText::DeviceLost]); break;
    case VL_DEVICE_UNAVAILABLE: p_.window.showNotice(p_.texts[StatusText::DeviceUnavailable]); break;
    default: p_.window.showNotice(QString()); break;
    }
}

void MainLoop::registerShortcuts() {
    for (const QPointer<QShortcut>& s : shortcuts_)
        delete s.data();
    shortcuts_.clear();
    std::vector<QWidget*> windows{&p_.window};
    for (const QPointer<QWidget>& w : mainKeyWindows_)
        if (w) windows.push_back(w);
    for (const ShortcutKey& k : shortcutKeys(ShortcutWindow::Main, p_.settings.prefs().hotkeys)) {
        for (QWidget* window : windows) {
            auto* shortcut = new QShortcut(k.key, window);
            shortcut->setContext(Qt::WindowShortcut);
            shortcut->setAutoRepeat(k.number <= 2 || k.number == 5 || k.number == 6);
            connect(shortcut, &QShortcut::activated, this, [this, n = k.number] { runShortcut(n); });
            shortcuts_.emplace_back(shortcut);
        }
    }
    for (const auto& window : windowShortcuts_)
        window->install(p_.settings.prefs().hotkeys);
}

void MainLoop::addShortcutWindow(QWidget& window, ShortcutWindow kind, std::function<void(int)> run) {
    windowShortcuts_.push_back(std::make_unique<WindowShortcuts>(window, kind, std::move(run)));
    windowShortcuts_.back()->install(p_.settings.prefs().hotkeys);
}

void MainLoop::shareMainKeys(QWidget& window) {
    mainKeyWindows_.emplace_back(&window);
    registerShortcuts();
}

void MainLoop::runCommand(MainWindow::Command command) {
    using C = MainWindow::Command;
    switch (command) {
    case C::Quit: emit quitRequested(); break;
    case C::SwitchMode: p_.darkMode.toggle(); break;
    case C::Settings: p_.settings.openSettingsWindow(); break;
    case C::SetLoad: refuseWhilePlaying([this] { p_.setlists.loadSetlist(true); }); break;
    case C::SetEdit: refuseWhilePlaying([this] { p_.setlists.openSetEditor(); }); break;
    case C::SetCreate: refuseWhilePlaying([this] { p_.setlists.saveSetlistAs(true); }); break;
    case C::Up: stepSongList(false); break;
    case C::Down: stepSongList(true); break;
    case C::Help: openUserGuide(); break;
    case C::Play: p_.transport.startPlayback(true); break;
    case C::Show: showLyricView(); break;
    case C::Edit: emit lyricEditorWanted(); break;
    case C::SongEdit: emit songEditRequested(); break;
    }
}

void MainLoop::runShortcut(int number) {
    if (!p_.window.isVisible()) return;
    switch (number) {
    case 1: stepSongList(false); break;
    case 2: stepSongList(true); break;
    case 3: p_.transport.startPlayback(true); break;
    case 4: showLyricView(); break;
    case 5: p_.transport.moveStartPosition(-20); break;
    case 6: p_.transport.moveStartPosition(20); break;
    case 7: p_.darkMode.toggle(); break;
    default:
        if (number >= 'A' && number <= 'Z') typeAhead(number);
        break;
    }
}

void MainLoop::typeAhead(int letter) {
    const QChar typed(letter);
    if (p_.state.timerTicks > 20) p_.state.typeAheadText = typed;
    else p_.state.typeAheadText += typed;
    p_.state.timerTicks = 0;
    SongListModel& list = p_.songs;
    for (int r = 0; r < list.rowCount(); ++r) {
        QString title = list.title(r).toUpper();
        title.remove(QLatin1Char(' '));
        if (!title.startsWith(p_.state.typeAheadText)) continue;
        list.select(r, rowToShowFor(r, list.rowCount(), list.selectedRow()));
        return;
    }
}

void MainLoop::songListClicked() {
    const int selected = p_.songs.selectedRow();
    if (selected >= 0) p_.state.selectedRow = selected;
    else p_.songs.select(p_.state.selectedRow);
    if (!p_.transport.playing()) p_.state.currentSong = p_.state.selectedRow;
}

void MainLoop::songListDoubleClicked() {
    // 0 program editor, 1 lyric editor, 2 lyric, 3 play / stop; the editors join when
    // they exist.
    if (p_.settings.prefs().doubleClickAction == 0) emit songEditRequested();
    if (p_.settings.prefs().doubleClickAction == 3) p_.transport.startPlayback(true);
    else if (p_.settings.prefs().doubleClickAction == 2) showLyricView();
    else if (p_.settings.prefs().doubleClickAction == 1) emit lyricEditorWanted();
    songListClicked();
}

void MainLoop::stepSongList(bool down) {
    p_.window.focusSongList();
    stepSelection(p_.songs, p_.state, p_.transport.playing(), down ? 1 : -1);
    p_.darkMode.draw();
}

void MainLoop::songListDragStarted() { p_.state.dragSourceRow = p_.songs.selectedRow(); }

void MainLoop::songListRowDropped(int target) {
    const int from = p_.state.dragSourceRow;
    if (target == from || !p_.songs.moveRow(from, target)) return;
    const int c = p_.state.currentSong;
    if (p_.transport.playing()) {
        const int moved = playingRowAfterMove(from, target, c);
        p_.state.currentSong = p_.state.playingSong = p_.state.selectedRow = moved;
    } else if (from == c) {
        p_.state.currentSong = p_.state.playingSong = p_.state.selectedRow = target;
    }
    p_.setlists.editor().setRows(p_.songs.titles());
    p_.setlists.editor().snapshot();
    p_.songs.setPlayingRow(p_.transport.playing() ? p_.state.currentSong : -1);
    p_.songs.select(target);
    p_.state.selectedRow = target;
}

void MainLoop::openUserGuide() {
    const QString guide = userGuidePath();
    if (QFileInfo(guide).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(guide))) return;
    p_.dialogs.message(p_.texts[TextId::MessageTemplateErrorTitle], p_.texts[StatusText::HelpGuideMissing].arg(guide));
}

void MainLoop::refuseWhilePlaying(const std::function<void()>& command) {
    if (p_.transport.playing()) {
        p_.dialogs.message(QString(), p_.texts[TextId::MessageStopAudioFirst]);
        return;
    }
    command();
}

void MainLoop::showLyricView() { emit lyricViewWanted(); }

} // namespace vl
