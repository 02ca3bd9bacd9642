#include "app/Application.h"

#include "app/BandView.h"
#include "app/DarkMode.h"
#include "app/Heartbeat.h"
#include "app/LyricLink.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/ProgramEditorLink.h"
#include "app/RemoteLink.h"
#include "app/MidiLink.h"
#include "app/PlaybackWindow.h"
#include "app/ProgramFolder.h"
#include "app/SettingsLink.h"
#include "app/ShowCommandRunner.h"
#include "app/ShowSnapshotPublisher.h"
#include "app/Transport.h"
#include "setlists/SetEditor.h"
#include "setlists/Setlists.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "settings/Language.h"
#include "midi/RtMidiPorts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QMainWindow>
#include <QScreen>
#include <QSpinBox>

namespace vl {

namespace {

QRect centredOnScreen(int width, int height) {
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                           : QRect(0, 0, 1024, 768);
    return {(screen.width() - width) / 2, (screen.height() - height) / 2, width, height};
}

} // namespace

Application::Application(Services services)
    : services_(std::move(services)), songs_(state_), programStore_(program_, engine_, *services_.dialogs, texts_) {
    fastTimer_.setInterval(55);
    slowTimer_.setInterval(250);
    connect(&fastTimer_, &QTimer::timeout, this, [this] { mainLoop_->mainWindowCallback(0); });
    connect(&slowTimer_, &QTimer::timeout, this, [this] { mainLoop_->mainWindowCallback(1); });
}

Application::~Application() {
    QCoreApplication::removeTranslator(&qtTexts_);
    remoteLink_.reset();
    bandView_.reset();
    showPublisher_.reset();
    showRunner_.reset();
    lyricLink_.reset();
    programEditorLink_.reset();
    mainLoop_.reset();
    darkMode_.reset();
    setlists_.reset();
    transport_.reset();
    settings_.reset();
    midiLink_.reset();
    settingsLink_.reset();
    delete main_;
    delete playbackWindow_;
}

Preferences& Application::prefs() { return settings_->prefs(); }

ProgramEditor& Application::programEditor() { return programEditorLink_->editor(); }

bool Application::start(QString* error) {
    state_ = AppState{};
    heartbeat_ = std::make_unique<Heartbeat>();
    state_.programFolder = services_.programFolder;
    state_.interfaceLanguage = chooseLanguage(state_.programFolder, services_.askLanguage);
    state_.windowTitle = defaultWindowTitle();
    fillInterfaceTexts(texts_, state_.interfaceLanguage);
    // Before any window exists, so that Qt's own texts in them follow the language too.
    if (loadQtTranslations(qtTexts_, state_.interfaceLanguage)) QCoreApplication::installTranslator(&qtTexts_);

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
    programStore_.setPlaybackWindow(videoSinkOf(playbackWindow_));
    createSettings();
    createAllWindows();
    setlists_->editor().rescanSongs();
    settings_->fillDriverLists();
    program_.masterVolume = 0.8f;
    settings_->applyDefaults();
    settings_->readPreferences();
    keepTransportChecksInPrefs();
    mainLoop_->registerShortcuts(); // with the hotkeys just read

    engine_.SetMidiOutCallBack(&MidiDevices::forwardEngineMidiOut);
    if (engine_.SetMidiOutBytesCallBack) engine_.SetMidiOutBytesCallBack(&MidiDevices::forwardEngineMidiBytes);
    settings_->activateAudioDriver();
    midiLink_->start();
    engine_.SetSoundFontPath(state_.soundFontPath.toUtf8().constData());

    remoteLink_ = std::make_unique<RemoteLink>(*this, services_.showNetwork);
    remoteLink_->start();

    fastTimer_.start();
    slowTimer_.start();
    applyBandView();
    started_ = true;
    if (quitRequestedDuringStart_) quitApplication();
    return true;
}

void Application::keepTransportChecksInPrefs() {
    const MainWindow::Controls& c = main_->controls();
    c.jumpToNextBox->setChecked(prefs().jumpToNext);
    c.autoPlayBox->setChecked(prefs().autoPlay);
    connect(c.jumpToNextBox, &QCheckBox::toggled, this, [this](bool on) { prefs().jumpToNext = on; });
    connect(c.autoPlayBox, &QCheckBox::toggled, this, [this](bool on) { prefs().autoPlay = on; });
    c.segueBox->setValue(prefs().segueMs);
    connect(c.segueBox, &QSpinBox::valueChanged, this, [this](int ms) { prefs().segueMs = ms; });
}

void Application::createPlaybackWindow() {
    auto* window = new PlaybackWindow();
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

ShowCommandInbox& Application::showCommands() { return showRunner_->inbox(); }

ShowSnapshotBoard& Application::showBoard() { return showPublisher_->board(); }

void Application::createSettings() {
    settingsLink_ = std::make_unique<SettingsLink>(*this);
    settings_ = std::make_unique<Settings>(
        SettingsContext{state_.programFolder, texts_, *services_.dialogs, engine_, fonts_[8], *settingsLink_});
    settings_->setTimecodeOverride(services_.timecode);
    midiLink_ = std::make_unique<MidiLink>(*this, services_.midiPorts ? services_.midiPorts()
                                                                      : std::make_unique<RtMidiPorts>());
    settings_->useMidiDevices(&midiLink_->devices());
}

void Application::createAllWindows() {
    main_ = new MainWindow(texts_, fonts_, state_.programFolder);
    main_->songList().showModel(songs_, state_.colours);
    transport_ = std::make_unique<Transport>(Transport::Parts{state_, engine_, songs_, program_, programStore_, *settings_,
                                                              *main_, *playbackWindow_, *services_.dialogs, texts_,
                                                              services_.endOfSongPauseMs});
    darkMode_ = std::make_unique<DarkMode>(DarkMode::Parts{state_, fonts_, texts_, *settings_, songs_, *main_, *transport_});
    Setlists::Context setlistContext{state_, texts_, *services_.dialogs, songs_, &main_->songList(), main_,
                                     [this] { return transport_->playing(); }, [this] { main_->setStartPoint(0); }};
    setlists_ = std::make_unique<Setlists>(std::move(setlistContext));
    mainLoop_ = std::make_unique<MainLoop>(MainLoop::Parts{state_, engine_, texts_, *services_.dialogs, songs_, *setlists_,
                                                           *settings_, *transport_, *darkMode_, *main_});
    connect(mainLoop_.get(), &MainLoop::quitRequested, this, &Application::quitApplication);
    connect(main_, &MainWindow::closeRequested, this, &Application::handleCloseRequest);
    // The video window is looked at, not worked in: a key there does what it does in the main window.
    mainLoop_->shareMainKeys(*playbackWindow_);
    if (auto* playback = qobject_cast<PlaybackWindow*>(playbackWindow_)) playback->keepClearOf(main_);
    lyricLink_ = std::make_unique<LyricLink>(*this);
    programEditorLink_ = std::make_unique<ProgramEditorLink>(*this);
    showRunner_ = std::make_unique<ShowCommandRunner>(*this);
    showPublisher_ = std::make_unique<ShowSnapshotPublisher>(*this);
    settings_->createWindow();
    bandView_ = std::make_unique<BandView>(BandView::Parts{state_, texts_, engine_, showCommands(), showBoard(),
                                                           *main_->controls().client, installedDataFolder() + "/web"});
    connect(settings_->window(), &SettingsWindow::bandViewChanged, this, &Application::applyBandView);
    showPublisher_->addReader([this] { return bandView_ && bandView_->running(); },
                              [this](ShowSnapshot& s, const QString& song) { bandView_->fill(s, song, s.playing); });
    showPublisher_->addReader([this] { return remoteLink_ && remoteLink_->readsShow(); });
    main_->setGeometry(centredOnScreen(MainWindow::kWidth, MainWindow::kHeight));
    main_->keepNormalSize();
    main_->setWindowTitle(state_.windowTitle);
    mainLoop_->registerShortcuts();
    main_->setUpSongListColumns(fonts_);
    main_->show();
    setlists_->loadSetlist(false);
}

void Application::applyBandView() {
    const bool forThisRun = services_.webPort > 0 || !services_.webPin.isEmpty();
    const int port = services_.webPort > 0 ? services_.webPort : prefs().webPort;
    const QString pin = services_.webPin.isEmpty() ? prefs().webPin : services_.webPin;
    bandView_->apply(forThisRun || prefs().webEnabled, port, pin);
}

void Application::handleCloseRequest() {
    if (!started_) {
        quitRequestedDuringStart_ = true;
        QCoreApplication::exit(0);
        return;
    }
    if (darkMode_->active()) {
        darkMode_->toggle();
        return;
    }
    quitApplication();
}

void Application::handleTerminationSignal() {
    if (started_) quitApplication();
    else handleCloseRequest();
}

void Application::quitApplication() {
    if (quitDone_) return;
    quitDone_ = true;
    // No page commands while the program shuts down.
    if (bandView_) bandView_->apply(false, 0, {});
    fastTimer_.stop();
    slowTimer_.stop();
    // Before the stop: a follower keeps playing when its main quits.
    if (remoteLink_) remoteLink_->stop();
    transport_->stopPlayback();
    settings_->writePreferences(true);
    if (setlists_) setlists_->editor().undoStore().clear();
    midiLink_->closeDevices();
    engine_.Quit();
    if (main_) main_->hide();
    if (playbackWindow_) playbackWindow_->hide();
    QCoreApplication::exit(0);
}

} // namespace vl
