#include "app/Application.h"

#include "app/MainWindow.h"
#include "setlists/SetEditor.h"
#include "setlists/Setlists.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "settings/Language.h"
#include "setlists/SetlistFile.h"
#include "songs/SongList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>

namespace vl {

namespace {

int32_t ignoreMidiOut(int32_t, int32_t, int32_t, int32_t) { return 0; }

// A top-level window whose close box is a close request to the application.
template <typename Base> class CloseRequesting : public Base {
public:
    explicit CloseRequesting(Application* app) : app_(app) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        app_->handleCloseRequest();
    }

private:
    Application* app_;
};

QRect centredOnScreen(int width, int height) {
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                           : QRect(0, 0, 1024, 768);
    return {(screen.width() - width) / 2, (screen.height() - height) / 2, width, height};
}

} // namespace

Application::Application(Services services)
    : services_(std::move(services)), programStore_(program_, engine_, *services_.dialogs, texts_) {
    fastTimer_.setInterval(55);
    slowTimer_.setInterval(250);
    connect(&fastTimer_, &QTimer::timeout, this, [this] { mainWindowCallback(0); });
    connect(&slowTimer_, &QTimer::timeout, this, [this] { mainWindowCallback(1); });
}

Application::~Application() {
    setlists_.reset();
    settings_.reset();
    delete main_;
    delete playbackWindow_;
}

Preferences& Application::prefs() { return settings_->prefs(); }

bool Application::start(QString* error) {
    state_ = AppState{};
    state_.programFolder = services_.programFolder;
    state_.interfaceLanguage = chooseLanguage(state_.programFolder, services_.askLanguage);
    state_.windowTitle = defaultWindowTitle();
    fillInterfaceTexts(texts_, state_.interfaceLanguage);

    fonts_.createStartupFonts();
    QApplication::setFont(fonts_[6]);

    const auto bound = services_.bindEngine(error);
    if (!bound) return false;
    engine_ = *bound;

    state_.setlistPath = state_.programFolder + QStringLiteral("YourSongs/Setlist.txt");
    state_.songsRoot = state_.programFolder + QStringLiteral("YourSongs/");
    state_.soundFontPath = state_.programFolder + QStringLiteral("Data/gm.sf2");

    state_.colours = ListColours::normal();
    state_.channelFaders.fill(0);
    for (int i = 0; i < 16; ++i) state_.channelFaders[static_cast<std::size_t>(i)] = 127;

    program_.masterVolume = 1.0f;

    createPlaybackWindow();
    programStore_.setPlaybackWindow(playbackWindow_);
    createSettings();
    createAllWindows();
    setlists_->editor().rescanSongs();
    settings_->fillDriverLists();
    program_.masterVolume = 0.8f;
    settings_->applyDefaults();
    settings_->readPreferences();

    engine_.SetMidiOutCallBack(&ignoreMidiOut);
    settings_->activateAudioDriver();
    // The MIDI devices open here when they come.
    engine_.SetSoundFontPath(state_.soundFontPath.toUtf8().constData());

    fastTimer_.start();
    slowTimer_.start();
    main_->setMaximumSize(3000, 2000);
    started_ = true;
    if (quitRequestedDuringStart_) quitApplication();
    return true;
}

void Application::createPlaybackWindow() {
    auto* window = new CloseRequesting<QWidget>(this);
    window->setObjectName(QStringLiteral("playbackWindow"));
    window->setWindowTitle(QString());
    window->setGeometry(centredOnScreen(804, 460));
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::black);
    window->setPalette(palette);
    window->hide();
    playbackWindow_ = window;
}

QMainWindow* Application::mainWindow() const { return main_; }

void Application::createSettings() {
    SettingsHost host;
    host.programFolder = state_.programFolder;
    host.texts = &texts_;
    host.dialogs = services_.dialogs;
    host.engine = &engine_;
    host.buttonFont = &fonts_[8];
    host.mainWindow = [this]() -> QWidget* { return main_; };
    host.playbackWindow = [this] { return playbackWindow_; };
    host.songList = [this]() -> QWidget* { return main_ ? main_->songList : nullptr; };
    host.positionBars = [this] { return main_ ? QList<QWidget*>{main_->positionBar} : QList<QWidget*>{}; };
    host.refreshSongList = [this] {
        // The rows go through the set editor and back, so they are rebuilt in the new font.
        setlists_->editor().setRows(songListRows(*main_->songList));
        setlists_->refreshSongList(true);
        main_->songList->resizeRowsToContents();
    };
    host.stopPlayback = [this] {
        if (main_) stopPlayback();
        else engine_.Stop();
    };
    host.setlistPathChanged = [this](const QString& setlistPath, const QString& songsRoot) {
        state_.setlistPath = setlistPath;
        state_.songsRoot = songsRoot;
    };
    host.loadSetlist = [this](const QString& path) {
        state_.setlistPath = path;
        state_.songsRoot = folderOf(path);
        setlists_->loadSetlist(false);
    };
    host.registerShortcuts = [this] { registerShortcuts(); };
    settings_ = std::make_unique<Settings>(std::move(host));
}

void Application::createAllWindows() {
    main_ = new MainWindow(texts_, fonts_, state_.programFolder);
    Setlists::Context setlistContext{state_, texts_, *services_.dialogs, *main_->songList, main_,
                                     [this] { return playing(); },
                                     [this] {
                                         const QSignalBlocker quiet(main_->positionSlider);
                                         main_->positionSlider->setValue(0);
                                     }};
    setlists_ = std::make_unique<Setlists>(std::move(setlistContext));
    // The program editor, channel effects, lyric editor and lyric view join here.
    settings_->createWindow();
    main_->positionBar->setGeometry(MainWindow::normalBarGeometry());
    main_->setGeometry(centredOnScreen(MainWindow::kWidth, MainWindow::kHeight));
    main_->setWindowTitle(state_.windowTitle);
    registerShortcuts();
    main_->setUpSongListColumns(fonts_, state_.colours);
    main_->playAnimation->hide();
    connectMainWindow();
    main_->show();
    setlists_->loadSetlist(false);
}

void Application::mainWindowCallback(int timerNumber) {
    engine_.WndMainProc(main_, kTimerMessage, static_cast<uint32_t>(timerNumber), 0);
    ++state_.timerTicks;
    state_.lyricSecondWindow = prefs().lyricSecondWindow;
    if (timerNumber == 0) {
        if (!updatePositionDisplays()) return;
        updateTimeDisplay();
        if (settings_->window()->isVisible()) applyMixer();
    } else if (timerNumber == 1) {
        if (darkMode()) drawDarkSetlist();
    }
}

void Application::handleCloseRequest() {
    if (!started_) {
        quitRequestedDuringStart_ = true;
        QCoreApplication::exit(0);
        return;
    }
    if (darkMode()) {
        toggleDarkMode();
        return;
    }
    quitApplication();
}

void Application::quitApplication() {
    if (quitDone_) return;
    quitDone_ = true;
    fastTimer_.stop();
    slowTimer_.stop();
    stopPlayback();
    settings_->writePreferences(true);
    if (setlists_) setlists_->editor().undoStore().clear();
    engine_.Quit();
    if (main_) main_->hide();
    if (playbackWindow_) playbackWindow_->hide();
    QCoreApplication::exit(0);
}

} // namespace vl
