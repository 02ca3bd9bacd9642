#include "app/Application.h"

#include "settings/Language.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QScreen>

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

Application::Application(Services services) : services_(std::move(services)) {
    fastTimer_.setInterval(55);
    slowTimer_.setInterval(250);
    connect(&fastTimer_, &QTimer::timeout, this, [this] { mainWindowCallback(0); });
    connect(&slowTimer_, &QTimer::timeout, this, [this] { mainWindowCallback(1); });
}

Application::~Application() {
    delete mainWindow_;
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
    createAllWindows();

    engine_.SetMidiOutCallBack(&ignoreMidiOut);
    engine_.SetSoundFontPath(state_.soundFontPath.toUtf8().constData());

    fastTimer_.start();
    slowTimer_.start();
    mainWindow_->setMaximumSize(3000, 2000);
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

void Application::createAllWindows() {
    auto* main = new CloseRequesting<QMainWindow>(this);
    main->setObjectName(QStringLiteral("mainWindow"));
    main->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    main->setWindowTitle(state_.windowTitle);
    main->setGeometry(centredOnScreen(794, 464));
    mainWindow_ = main;
    main->show();
}

void Application::mainWindowCallback(int timerNumber) {
    engine_.WndMainProc(mainWindow_, kTimerMessage, static_cast<uint32_t>(timerNumber), 0);
    ++state_.timerTicks;
}

void Application::handleCloseRequest() {
    if (mainWindow_ && mainWindow_->isMaximized()) return; // leaving dark mode comes with the main window
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
    engine_.Stop();
    removeUndoStore();
    engine_.Quit();
    if (mainWindow_) mainWindow_->hide();
    if (playbackWindow_) playbackWindow_->hide();
    QCoreApplication::exit(0);
}

} // namespace vl
