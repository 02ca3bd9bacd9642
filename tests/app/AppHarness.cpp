#include "AppHarness.h"

#include "settings/Preferences.h"
#include "platform/TextFile.h"
#include "songs/ProgramFile.h"
#include "songs/SongFolders.h"
#include "songs/SongPaths.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QWindow>

#include <stdexcept>

// The window-system entry points Qt's own test library drives events through.
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text, bool autorep, ushort count);

namespace vl::test {

AppHarness::AppHarness(std::optional<EngineFunctions> engine, const char* language,
                       std::function<std::unique_ptr<MidiPorts>()> midiPorts) {
    // Every program folder has its songs folder (the program makes it at its first start).
    std::filesystem::create_directories(home / "YourSongs");
    writeFile(home / "language", std::string(language) + "\r\n");
    writeChosenDriver(home);
    // A song long enough that a stray timer tick never finds it at its end.
    recorder.maxSongPos = 600 * 176400;
    Application::Services s;
    s.programFolder = QString::fromStdString(home.str());
    s.dialogs = &dialogs;
    s.askLanguage = [] { return std::string("english"); };
    // The recording engine's songs end in one tick; the real engine's ring out as in use.
    if (!engine) s.endOfSongPauseMs = 0;
    const EngineFunctions functions = engine ? *engine : recorder.functions();
    s.bindEngine = [functions](QString*) -> std::optional<EngineFunctions> { return functions; };
    s.midiPorts = std::move(midiPorts);
    app = std::make_unique<Application>(std::move(s));
    if (!app->start(nullptr)) throw std::runtime_error("start-up failed");

    main().activateWindow();
    QApplication::setActiveWindow(&main());
    QApplication::processEvents();
}

void writeChosenDriver(const TempFolder& home) {
    Preferences prefs;
    prefs.audioDriverIndex = 1;
    prefs.setlistPath = QString::fromStdString(home.str()) + "YourSongs/Setlist.txt";
    writePreferencesFile(preferencesPath(QString::fromStdString(home.str())), prefs, true);
}

AppHarness::~AppHarness() {
    app->quitApplication();
    app.reset();
    RecordingEngine::current = nullptr;
}

void AppHarness::setRows(const QStringList& titles, const QStringList& times) {
    // A row with a time is a song: a folder with a program (without tracks, unless it has its
    // own) and an info file of that length (unless it has a real one).
    for (int r = 0; r < titles.size(); ++r) {
        const QString time = r < times.size() ? times[r] : QStringLiteral("01:00");
        const QString folder = songFolderPath(state().songsRoot, titles[r]);
        if (time.isEmpty() || folder.isEmpty()) continue;
        const QString program = songProgramPath(state().songsRoot, titles[r]);
        if (!QFileInfo::exists(program)) {
            QDir().mkpath(folder);
            writeTextLines(program, writeProgramLines(SongProgram{}, FileNames::Included));
        }
        if (QFileInfo::exists(folder + "/inf")) continue;
        const QStringList parts = time.split(':');
        const long long seconds = parts.value(0).toLongLong() * 60 + parts.value(1).toLongLong();
        writeFile(std::filesystem::path(folder.toStdString()) / "inf", std::to_string(seconds * 176400) + "\r\n");
    }
    app->songs().setTitles(titles);
    app->songs().select(0);
    state().selectedRow = 0;
    state().currentSong = 0;
}

QStringList AppHarness::titles() {
    return app->songs().titles();
}

void AppHarness::pressKey(int key, const QString& text, QWidget* on) {
    QWindow* window = (on ? on : &main())->windowHandle();
    qt_handleKeyEvent(window, QEvent::KeyPress, key, Qt::NoModifier, text, false, 1);
    qt_handleKeyEvent(window, QEvent::KeyRelease, key, Qt::NoModifier, text, false, 1);
    QApplication::processEvents();
}

void AppHarness::clickList(const QPoint& pos) {
    QWidget* viewport = list().viewport();
    const QPointF global = viewport->mapToGlobal(QPointF(pos));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
    QApplication::processEvents();
}

QPoint AppHarness::rowCentre(int row) {
    return list().visualItemRect(list().item(row, 0)).center();
}

void AppHarness::dragSelectedRowTo(int row) {
    app->mainLoop().songListDragStarted();
    QMimeData data;
    data.setData(SongListWidget::kRowMimeType, QByteArray::number(list().selectedRow()));
    const QPoint at = rowCentre(row);
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list().viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list().viewport(), &drop);
    QApplication::processEvents();
}

void AppHarness::ticks(int timer, int count) {
    for (int i = 0; i < count; ++i) app->mainLoop().mainWindowCallback(timer);
}

int jackDriverIndex(const EngineFunctions& engine) {
    for (int i = 0; i < 20; ++i) {
        const char* name = engine.GetDriverName(i);
        if (!name || !*name || QString::fromUtf8(name) == "no") break;
        if (QString::fromUtf8(name) == "JACK") return i;
    }
    return -1;
}

EngineFunctions realEngine() {
    static const EngineFunctions functions = [] {
        QString error;
        auto binding = bindEngineModule(QStringLiteral(VL_BIN_DIR "/") + kEngineModuleName, &error);
        if (!binding) throw std::runtime_error(error.toStdString());
        return binding->functions;
    }();
    return functions;
}

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace vl::test
