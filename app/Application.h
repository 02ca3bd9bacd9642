#pragma once
// The application context: owns the state records, the engine table, the windows, the
// timers and the program's parts (transport, dark mode, main loop); runs start-up in its
// fixed order and shuts down exactly once.

#include "core/AppState.h"
#include "core/EngineFunctions.h"
#include "core/Fonts.h"
#include "core/InterfaceTexts.h"
#include "core/ShowCommandInbox.h"
#include "core/ShowSnapshot.h"
#include "mixer/SongProgramStore.h"
#include "platform/Dialogs.h"
#include "settings/TimecodeChoice.h"
#include "setlists/SongListModel.h"
#include "songs/SongProgram.h"
#include "app/RunOptions.h"

#include <QObject>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QMainWindow;
class QWidget;

namespace vl {

class BandView;
class DarkMode;
class LyricLink;
class MainLoop;
class MainWindow;
class ProgramEditor;
class ProgramEditorLink;
class ShowCommandInbox;
class ShowCommandRunner;
class ShowSnapshotBoard;
class ShowSnapshotPublisher;
class RemoteLink;
class Heartbeat;
class MidiLink;
class MidiPorts;
class Settings;
class SettingsLink;
class Setlists;
class Transport;
struct Preferences;

class Application : public QObject {
    Q_OBJECT
public:
    struct Services {
        QString programFolder;                                     // ends with "/"
        std::function<std::optional<EngineFunctions>(QString*)> bindEngine;
        std::function<std::string()> askLanguage;                  // first start only
        Dialogs* dialogs = nullptr;
        // For this run only (--segue-ms, tests): the pause between the end of a song and the
        // start of the next, in place of the setting.
        std::optional<int> endOfSongPauseMs;
        // The system's MIDI ports; empty: RtMidi's.
        std::function<std::unique_ptr<MidiPorts>()> midiPorts = nullptr;
        // The show's network as the command line sets it for this run.
        ShowNetworkOverrides showNetwork{};
        // The band view for this run only (--web-port, --web-pin); port 0: as the settings say.
        int webPort = 0;
        QString webPin = {};
        // The command line's timecode settings, for this run only.
        TimecodeOverride timecode;
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
    // SIGTERM, SIGINT, SIGHUP: the session ends, so the program quits from dark mode too.
    void handleTerminationSignal();

    AppState& state() { return state_; }
    Preferences& prefs();
    Settings& settings() { return *settings_; }
    Setlists& setlists() { return *setlists_; }
    SongListModel& songs() { return songs_; }
    SongProgram& program() { return program_; }
    Transport& transport() { return *transport_; }
    DarkMode& darkMode() { return *darkMode_; }
    MainLoop& mainLoop() { return *mainLoop_; }
    LyricLink& lyricLink() { return *lyricLink_; }
    // Commands from the network's threads, and the show's state they read.
    ShowCommandInbox& showCommands();
    ShowCommandRunner& showCommandRunner() { return *showRunner_; }
    ShowSnapshotBoard& showBoard();
    ShowSnapshotPublisher& showPublisher() { return *showPublisher_; }
    MidiLink& midi() { return *midiLink_; }
    RemoteLink& remote() { return *remoteLink_; }
    BandView& bandView() { return *bandView_; }
    MainWindow* main() const { return main_; }
    ProgramEditor& programEditor();
    const InterfaceTexts& texts() const { return texts_; }
    const EngineFunctions& engine() const { return engine_; }
    const Fonts& fonts() const { return fonts_; }
    QMainWindow* mainWindow() const;
    QWidget* playbackWindow() const { return playbackWindow_; }
    bool timersRunning() const { return fastTimer_.isActive() && slowTimer_.isActive(); }
    bool quitDone() const { return quitDone_; }

private:
    friend class SettingsLink;
    friend class LyricLink;
    friend class ProgramEditorLink;

    void createPlaybackWindow();
    // The main window's " jump To Next" and " autom. play" as stored, and stored as ticked.
    void keepTransportChecksInPrefs();
    void createSettings();
    void createAllWindows();
    // The band view's server as this run's options, else the settings, say.
    void applyBandView();

    Services services_;
    AppState state_;
    InterfaceTexts texts_;
    Fonts fonts_;
    EngineFunctions engine_;
    std::unique_ptr<SettingsLink> settingsLink_;
    std::unique_ptr<MidiLink> midiLink_;
    std::unique_ptr<Heartbeat> heartbeat_; // measures the interface thread when asked to
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<Setlists> setlists_;
    SongListModel songs_;
    SongProgram program_;
    SongProgramStore programStore_;
    MainWindow* main_ = nullptr;
    QWidget* playbackWindow_ = nullptr;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<DarkMode> darkMode_;
    std::unique_ptr<MainLoop> mainLoop_;
    std::unique_ptr<LyricLink> lyricLink_;
    std::unique_ptr<ProgramEditorLink> programEditorLink_;
    std::unique_ptr<ShowCommandRunner> showRunner_;
    std::unique_ptr<ShowSnapshotPublisher> showPublisher_;
    std::unique_ptr<RemoteLink> remoteLink_;
    std::unique_ptr<BandView> bandView_;
    QTranslator qtTexts_;
    QTimer fastTimer_;
    QTimer slowTimer_;
    bool quitDone_ = false;
    bool started_ = false;
    bool quitRequestedDuringStart_ = false;
};

} // namespace vl
