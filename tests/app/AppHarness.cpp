#include "AppHarness.h"

#include "settings/Preferences.h"

#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QWindow>

#include <stdexcept>

// The window-system entry points Qt's own test library drives events through.
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text, bool autorep, ushort count);

namespace vl::test {

AppHarness::AppHarness(std::optional<EngineFunctions> engine) {
    writeFile(home / "language", "english\r\n");
    writeChosenDriver(home);
    // A song long enough that a stray timer tick never finds it at its end.
    recorder.maxSongPos = 600 * 176400;
    Application::Services s;
    s.programFolder = QString::fromStdString(home.str());
    s.dialogs = &dialogs;
    s.askLanguage = [] { return std::string("english"); };
    const EngineFunctions functions = engine ? *engine : recorder.functions();
    s.bindEngine = [functions](QString*) -> std::optional<EngineFunctions> { return functions; };
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
    SongListWidget& l = list();
    l.setRowCount(0);
    l.setRowCount(static_cast<int>(titles.size()));
    for (int r = 0; r < titles.size(); ++r) {
        l.setItem(r, 0, new QTableWidgetItem(titles[r]));
        l.setItem(r, 1, new QTableWidgetItem(QString()));
        l.setItem(r, 2, new QTableWidgetItem(r < times.size() ? times[r] : QStringLiteral("01:00")));
        l.setItem(r, 3, new QTableWidgetItem(QString()));
    }
    l.selectRow(0);
    state().selectedRow = 0;
    state().currentSong = 0;
}

QStringList AppHarness::titles() {
    QStringList out;
    for (int r = 0; r < list().rowCount(); ++r) out << list().title(r);
    return out;
}

void AppHarness::pressKey(int key, const QString& text) {
    QWindow* window = main().windowHandle();
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
    app->songListDragStarted();
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
    for (int i = 0; i < count; ++i) app->mainWindowCallback(timer);
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

} // namespace vl::test
