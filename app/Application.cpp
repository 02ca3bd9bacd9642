#include "app/Application.h"

#include "app/MainWindow.h"
#include "app/SongListColours.h"
#include "settings/Language.h"
#include "settings/SettingsWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
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
    delete main_;
    delete playbackWindow_;
}

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

    createPlaybackWindow();
    programStore_.setPlaybackWindow(playbackWindow_);
    createAllWindows();

    settings_->fillDriverLists();
    settings_->applyDefaults();
    settings_->readPreferences();
    engine_.SetMidiOutCallBack(&ignoreMidiOut);
    settings_->activateAudioDriver();
    engine_.SetSoundFontPath(state_.soundFontPath.toUtf8().constData());

    fastTimer_.start();
    slowTimer_.start();
    main_->setMaximumSize(3000, 2000);
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

void Application::createAllWindows() {
    main_ = new MainWindow(texts_, fonts_, state_.programFolder);
    // The set editor, program editor, channel effects, settings, lyric editor and lyric
    // view join here, in that order.
    createSettings();
    main_->positionBar->setGeometry(MainWindow::normalBarGeometry());
    main_->setGeometry(centredOnScreen(MainWindow::kWidth, MainWindow::kHeight));
    main_->setWindowTitle(state_.windowTitle);
    registerShortcuts();
    main_->setUpSongListColumns(fonts_, state_.colours);
    main_->playAnimation->hide();
    connectMainWindow();
    main_->show();
}

void Application::createSettings() {
    SettingsHost host;
    host.programFolder = state_.programFolder;
    host.texts = &texts_;
    host.dialogs = services_.dialogs;
    host.engine = &engine_;
    host.buttonFont = &fonts_[8];
    host.mainWindow = [this] { return main_; };
    host.playbackWindow = [this] { return playbackWindow_; };
    host.songList = [this] { return main_->songList; };
    host.positionBars = [this] { return QList<QWidget*>{main_->positionBar}; };
    host.refreshSongList = [this] { main_->songList->resizeRowsToContents(); };
    host.stopPlayback = [this] { stopPlayback(); };
    // The setlist subsystem's loadSetlist(path) plugs in here: the last setlist at start.
    host.loadSetlist = {};
    host.setlistPathChanged = [this](const QString& path, const QString& root) {
        state_.setlistPath = path;
        state_.songsRoot = root;
    };
    host.preferencesChanged = [this] { followPreferences(); };
    settings_ = std::make_unique<Settings>(std::move(host));
    settings_->createWindow();
    connect(main_->settingsButton, &QPushButton::clicked, this, [this] { settings_->openSettingsWindow(); });
}

// The main window, dark mode and transport read the stage options; they follow the
// preferences record whenever it changes.
void Application::followPreferences() {
    static const char* const kDoubleClickActions[] = {"program editor", "lyric editor", "lyric", "play / stop"};
    const Preferences& p = settings_->prefs();
    options_.doubleClickAction = p.doubleClickAction >= 0 && p.doubleClickAction < 4
                                     ? QString::fromLatin1(kDoubleClickActions[p.doubleClickAction])
                                     : QString();
    options_.setlistTextSize = p.setlistTextSize;
    options_.globalMute = p.globalMute;
    options_.subgroupOutput = p.subgroupOutput;
    options_.midiMasterVolumeEnabled = p.midiMasterVolumeEnabled;
    options_.noMidiFileToMidiOut = p.noMidiFileToMidiOut;
    options_.playShowsLyric = p.playShowsLyric;
    options_.lyricSecondWindowBox = p.lyricSecondWindow;
    state_.audioDriverIndex = p.audioDriverIndex;
}

void Application::mainWindowCallback(int timerNumber) {
    engine_.WndMainProc(main_, kTimerMessage, static_cast<uint32_t>(timerNumber), 0);
    ++state_.timerTicks;
    state_.lyricSecondWindow = options_.lyricSecondWindowBox;
    if (timerNumber == 0) {
        if (!updatePositionDisplays()) return;
        updateTimeDisplay();
        // Routing and global mutes are heard while they are being set.
        if (settings_->window()->isVisible()) applyMixer();
    } else if (timerNumber == 1) {
        if (darkMode()) drawDarkSetlist();
    }
}

void Application::handleCloseRequest() {
    if (darkMode()) {
        toggleDarkMode();
        return;
    }
    quitApplication();
}

void Application::removeUndoStore() {
    QDir undo(state_.programFolder + QStringLiteral("undo"));
    if (!undo.exists()) return;
    const auto entries = undo.entryInfoList({QStringLiteral("undo*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        QFile file(entry.filePath());
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
        file.remove();
    }
    QDir(state_.programFolder).rmdir(QStringLiteral("undo"));
}

void Application::quitApplication() {
    if (quitDone_) return;
    quitDone_ = true;
    fastTimer_.stop();
    slowTimer_.stop();
    stopPlayback();
    if (settings_) settings_->writePreferences(true);
    removeUndoStore();
    engine_.Quit();
    if (main_) main_->hide();
    if (playbackWindow_) playbackWindow_->hide();
    QCoreApplication::exit(0);
}

} // namespace vl
