#pragma once
// The main loop's work: the timers' ticks, the main window's commands and keys, the song
// list's clicks, type-ahead and drag-and-drop reordering.

#include "app/MainWindow.h"
#include "app/WindowShortcuts.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QShortcut;

namespace vl {

class DarkMode;
class Dialogs;
class InterfaceTexts;
class Setlists;
class Settings;
class SongListModel;
class Transport;
struct AppState;
struct EngineFunctions;

class MainLoop : public QObject {
    Q_OBJECT
public:
    struct Parts {
        AppState& state;
        const EngineFunctions& engine;
        const InterfaceTexts& texts;
        Dialogs& dialogs;
        SongListModel& songs;
        Setlists& setlists;
        Settings& settings;
        Transport& transport;
        DarkMode& darkMode;
        MainWindow& window;
    };
    explicit MainLoop(Parts parts);

    static constexpr uint32_t kTimerMessage = 0x0113;

    // Timer messages of both timers; timer 0 is the fast tick, 1 the slow one.
    void mainWindowCallback(int timerNumber);
    // The main window's keys and the user's hotkeys, in it and in every window added here.
    void registerShortcuts();
    void addShortcutWindow(QWidget& window, ShortcutWindow kind, std::function<void(int number)> run);
    // A window whose keys are the main window's, hotkeys included.
    void shareMainKeys(QWidget& window);
    void runShortcut(int number);
    void runCommand(MainWindow::Command command);
    void typeAhead(int letter);
    void songListClicked();
    void songListDoubleClicked();
    void songListDragStarted();
    void songListRowDropped(int target);
    void openUserGuide();
    void showLyricView();

signals:
    void quitRequested();
    // SHOW, RETURN and the "lyric" double click; EDIT and the "lyric editor" double click.
    void lyricViewWanted();
    void lyricEditorWanted();
    // Either timer, after the second-window setting was taken.
    void timerTicked(int timerNumber);
    // SONG EDIT, or the double click when it opens the program editor.
    void songEditRequested();
    // The fast tick, after the position and time displays: the open editors' and the lyric's turn.
    void fastTicked();
    // A timer tick's work is done.
    void ticked();

private:
    void refuseWhilePlaying(const std::function<void()>& command);
    // A lost sound device is said in the window, never in a box that would take the keys.
    void showDeviceState();
    void stepSongList(bool down);

    Parts p_;
    std::vector<QPointer<QShortcut>> shortcuts_;
    std::vector<QPointer<QWidget>> mainKeyWindows_;
    std::vector<std::unique_ptr<WindowShortcuts>> windowShortcuts_;
};

} // namespace vl
