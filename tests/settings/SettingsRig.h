#pragma once
// A settings subsystem in a temporary program folder, with the recording engine,
// scripted dialogs and plain windows standing where the program's windows stand.

#include "platform/Dialogs.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "support/TempFolder.h"
#include "support/ui/RecordingEngine.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>

#include <QElapsedTimer>
#include <QKeyEvent>

#include <functional>
#include <memory>
#include <vector>

namespace vl::test {

struct SettingsRig : SettingsHost {
    TempFolder home;
    RecordingEngine engine;
    EngineFunctions functions;
    InterfaceTexts texts;
    ScriptedDialogs dialogs;
    QFont buttonFont;
    QWidget mainWindowWidget;
    QListWidget* songListWidget = new QListWidget(&mainWindowWidget);
    QSlider* positionBar = new QSlider(Qt::Horizontal, &mainWindowWidget);
    QWidget lyricViewWidget;
    QWidget playbackWindowWidget;
    int songListRefreshes = 0;
    int shortcutRegistrations = 0;
    std::vector<QString> loadedSetlists;
    QString songsRoot;
    QString setlist;
    int changes = 0; // reports that the record changed
    std::unique_ptr<Settings> settings;

    explicit SettingsRig(const char* language = "english") {
        texts.fill(language);
        engine.driverNames = {"No sound", "ALSA: HDA Intel PCH", "PulseAudio", "JACK: system"};
        functions = engine.functions();
        mainWindowWidget.setGeometry(100, 80, 794, 464);
        mainWindowWidget.show();
        lyricViewWidget.setGeometry(300, 200, 400, 300);
        playbackWindowWidget.setGeometry(50, 60, 804, 460);
        settings = std::make_unique<Settings>(SettingsContext{QString::fromStdString(home.str()), texts,
                                                              dialogs, functions, buttonFont, *this});
        QObject::connect(settings.get(), &Settings::preferencesChanged, [this] { ++changes; });
        settings->createWindow();
    }
    ~SettingsRig() override { qApp->setStyleSheet(QString()); }

    QWidget* mainWindow() override { return &mainWindowWidget; }
    QWidget* lyricView() override { return &lyricViewWidget; }
    QWidget* playbackWindow() override { return &playbackWindowWidget; }
    QWidget* songList() override { return songListWidget; }
    QList<QWidget*> positionBars() override { return {positionBar}; }
    void refreshSongList() override { ++songListRefreshes; }
    void stopPlayback() override { functions.Stop(); }
    void loadSetlist(const QString& path) override { loadedSetlists.push_back(path); }
    void setlistPathChanged(const QString& path, const QString& root) override {
        setlist = path;
        songsRoot = root;
    }
    QString setlistPath() override { return setlist; }
    void registerShortcuts() override { ++shortcutRegistrations; }

    // Start-up steps 14 to 18.
    bool startUp() {
        settings->fillDriverLists();
        settings->applyDefaults();
        const bool read = settings->readPreferences();
        settings->activateAudioDriver();
        return read;
    }
    QString prefsPath() const { return preferencesPath(QString::fromStdString(home.str())); }
    SettingsWindow& window() { return *settings->window(); }
};

// Key presses as the keyboard sends them.
inline void pressKey(QWidget* target, int key, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(target, &release);
}

inline void typeText(QWidget* target, const QString& text) {
    for (QChar c : text)
        pressKey(target, c.toUpper().unicode(), {}, QString(c));
}

// Runs the event loop until `done` or the time is up; answers `done()`.
inline bool waitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace vl::test
