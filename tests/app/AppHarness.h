#pragma once
// A whole program started in a temporary program folder, bound to the recording engine
// or to the real engine module, with helpers that act as the user would.

#include "app/Application.h"
#include "app/DarkMode.h"
#include "app/MainLoop.h"
#include "app/MainWindow.h"
#include "app/Transport.h"
#include "settings/Preferences.h"
#include "support/TempFolder.h"
#include "support/ui/RecordingEngine.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace vl::test {

struct AppHarness {
    TempFolder home;
    ScriptedDialogs dialogs;
    RecordingEngine recorder;
    std::unique_ptr<Application> app;

    // With `engine` empty the recording engine answers; with `midiPorts` empty RtMidi's.
    explicit AppHarness(std::optional<EngineFunctions> engine = std::nullopt, const char* language = "english",
                        std::function<std::unique_ptr<MidiPorts>()> midiPorts = nullptr);
    ~AppHarness();

    MainWindow& main() { return *app->main(); }
    SongListWidget& list() { return *app->main()->controls().songList; }
    AppState& state() { return app->state(); }
    Preferences& prefs() { return app->prefs(); }

    // Rows of the song list: titles, and song times ("" for none).
    void setRows(const QStringList& titles, const QStringList& times = {});
    QStringList titles();

    // A key pressed and released on the active main window (or `window`), through the
    // window system, so keyboard shortcuts see it as they would a real key.
    void pressKey(int key, const QString& text = QString(), QWidget* window = nullptr);
    // A left click inside the song list's viewport.
    void clickList(const QPoint& viewportPos);
    QPoint rowCentre(int row);
    // A drop of the program's own row format at `row`'s place, after the drag began on
    // the selected row.
    void dragSelectedRowTo(int row);
    void ticks(int timer, int count);
};

// A "prefs" file as an earlier run leaves it with audio driver 1 chosen, so that a start
// goes straight to the main window instead of the first-start settings.
void writeChosenDriver(const TempFolder& home);

// Runs the event loop (timers included) until `done`; false after `ms` milliseconds.
bool waitUntil(const std::function<bool()>& done, int ms);

// The real engine module of this build, bound by name as the program binds it.
EngineFunctions realEngine();
// The engine's driver list entry of the JACK server; -1 when it is not listed.
int jackDriverIndex(const EngineFunctions& engine);

} // namespace vl::test
