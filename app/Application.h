#pragma once
// The application context: owns the state records, the engine table, the windows and
// the timers; runs start-up in its fixed order and shuts down.

#include "app/AppState.h"
#include "app/EngineFunctions.h"
#include "app/Fonts.h"
#include "app/InterfaceTexts.h"
#include "settings/Preferences.h"
#include "mixer/ApplyMixer.h"
#include "songs/SongProgram.h"
#include "songs/SongProgramStore.h"
#include "platform/Dialogs.h"

#include <QObject>
#include <QPixmap>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMainWindow;
class QShortcut;
class QWidget;

namespace vl {

class MainWindow;
class Settings;
class Setlists;

class Application : public QObject {
    Q_OBJECT
public:
    struct Services {
        QString programFolder;                                     // ends with "/"
        std::function<std::optional<EngineFunctions>(QString*)> bindEngine;
        std::function<std::string()> askLanguage;                  // first start only
        Dialogs* dialogs = nullptr;
    };

    explicit Application(Services services);
    ~Application() override;

    // Start-up up to the main loop. False when the engine could not be bound; the
    // reason is in `error` and no window was made.
    bool start(QString* error);

    // Shutdown: stop, save, clear the undo store, close devices, quit the engine; then
    // the event loop ends with exit code 0.
    void quitApplication();

    // A close request from the main window or the playback window, or the system's
    // request to end. During start-up it ends the wait that is open and start() then
    // shuts down.
    void handleCloseRequest();

    // Timer messages of both timers; timer 0 is the fast tick, 1 the slow one.
    void mainWindowCallback(int timerNumber);

    // Dark mode: the maximised, black stage view of the setlist.
    void toggleDarkMode();
    bool darkMode() const;
    void drawDarkSetlist();

    // Transport.
    void startPlayback(bool reload);
    void stopPlayback();
    // False when the end of the song ended this tick's work early.
    bool updatePositionDisplays();
    void updateTimeDisplay();
    void showSliderTime(int value);
    void positionSliderMoved();
    void moveStartPosition(int delta);

    // Main window commands.
    void refuseWhilePlaying(const std::function<void()>& command);
    void runShortcut(int number);
    void typeAhead(int letter);
    void songListClicked();
    void songListDoubleClicked();
    void songListDragStarted();
    void songListRowDropped(int target);
    void openHelpFolder();
    void showLyricView();

    AppState& state() { return state_; }
    Preferences& prefs();
    Settings& settings() { return *settings_; }
    Setlists& setlists() { return *setlists_; }
    SongProgram& program() { return program_; }
    // The live values the mixer takes besides the song program.
    MixerInputs mixerInputs();
    MainWindow* main() const { return main_; }
    const InterfaceTexts& texts() const { return texts_; }
    const EngineFunctions& engine() const { return engine_; }
    const Fonts& fonts() const { return fonts_; }
    Dialogs& dialogs() { return *services_.dialogs; }
    QMainWindow* mainWindow() const;
    QWidget* playbackWindow() const { return playbackWindow_; }
    bool timersRunning() const { return fastTimer_.isActive() && slowTimer_.isActive(); }
    bool quitDone() const { return quitDone_; }

    static constexpr uint32_t kTimerMessage = 0x0113;

signals:
    // The time text changed (whole seconds); `topLine` adds the next song's title.
    void timeTextChanged(const QString& timeText, const QString& topLine);

private:
    void createPlaybackWindow();
    void createSettings();
    void createAllWindows();
    void connectMainWindow();
    void registerShortcuts();
    void enterDarkMode();
    void leaveDarkMode();
    void placeDarkCanvas();
    void repaintSongList();
    bool playing() const;
    bool atEndOfSong();
    void loadSelectedSongProgram();
    void applyMixer();
    void stepSongList(bool down);

    Services services_;
    AppState state_;
    InterfaceTexts texts_;
    Fonts fonts_;
    EngineFunctions engine_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<Setlists> setlists_;
    SongProgram program_;
    SongProgramStore programStore_;
    MainWindow* main_ = nullptr;
    QPixmap darkPicture_;
    std::vector<QShortcut*> shortcuts_;
    QWidget* playbackWindow_ = nullptr;
    QTimer fastTimer_;
    QTimer slowTimer_;
    bool quitDone_ = false;
    bool started_ = false;
    bool quitRequestedDuringStart_ = false;
};

} // namespace vl
