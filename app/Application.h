#pragma once
// The application context: owns the state records, the engine table, the windows and
// the timers; runs start-up in its fixed order and shuts down.

#include "app/AppState.h"
#include "app/EngineFunctions.h"
#include "app/Fonts.h"
#include "app/InterfaceTexts.h"
#include "platform/Dialogs.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QMainWindow;
class QWidget;

namespace vl {

class MainWindowShell;

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

    // A close request from the main window or the playback window.
    void handleCloseRequest();

    // Timer messages of both timers; timer 0 is the fast tick, 1 the slow one.
    void mainWindowCallback(int timerNumber);

    AppState& state() { return state_; }
    const InterfaceTexts& texts() const { return texts_; }
    const EngineFunctions& engine() const { return engine_; }
    const Fonts& fonts() const { return fonts_; }
    Dialogs& dialogs() { return *services_.dialogs; }
    QMainWindow* mainWindow() const { return mainWindow_; }
    QWidget* playbackWindow() const { return playbackWindow_; }
    bool timersRunning() const { return fastTimer_.isActive() && slowTimer_.isActive(); }
    bool quitDone() const { return quitDone_; }

    static constexpr uint32_t kTimerMessage = 0x0113;

private:
    void createPlaybackWindow();
    void createAllWindows();
    void removeUndoStore();

    Services services_;
    AppState state_;
    InterfaceTexts texts_;
    Fonts fonts_;
    EngineFunctions engine_;
    QMainWindow* mainWindow_ = nullptr;
    QWidget* playbackWindow_ = nullptr;
    QTimer fastTimer_;
    QTimer slowTimer_;
    bool quitDone_ = false;
};

} // namespace vl
