#include "app/Application.h"
#include "app/CommandLine.h"
#include "core/EngineFunctions.h"
#include "app/ProgramFolder.h"
#include "app/TerminationSignals.h"
#include "lyrics/LyricTextView.h"
#include "settings/Language.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char** argv) {
    // Commands and help run before anything needs a display.
    const vl::RunOptions options = vl::parseRunOptions(vl::commandArguments(argc, argv));
    if (!vl::startsWindows(options)) return vl::runCommand(options, argc, argv);
    vl::keepLargeGlyphsCached();
    QApplication qtApp(argc, argv);
    // Windows stand in for one another, so the last visible one closing ends nothing.
    QApplication::setQuitOnLastWindowClosed(false);
    const QString programFolder = vl::locateProgramFolder();
    if (!vl::seedProgramFolder(programFolder, vl::installedDataFolder()))
        std::fprintf(stderr, "vellamorinth: could not prepare the program folder %s\n",
                     programFolder.toLocal8Bit().constData());

    vl::QtDialogs dialogs;
    vl::Application::Services services;
    services.programFolder = programFolder;
    services.bindEngine = [](QString* error) -> std::optional<vl::EngineFunctions> {
        auto binding = vl::bindEngineModule(vl::engineModulePath(), error);
        if (!binding) return std::nullopt;
        return binding->functions;
    };
    services.askLanguage = &vl::askLanguageWithWindow;
    services.dialogs = &dialogs;
    if (options.segueMs >= 0) services.endOfSongPauseMs = options.segueMs;
    services.showNetwork = options.network;
    services.webPort = options.webPort;
    services.webPin = options.webPin;
    services.timecode = options.timecode;
    vl::Application app(std::move(services));
    vl::routeTerminationSignals([&app] { app.handleTerminationSignal(); });
    QString error;
    if (!app.start(&error)) {
        std::fprintf(stderr, "vellamorinth: %s\n", error.toLocal8Bit().constData());
        const QString platform = QGuiApplication::platformName();
        if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
            QMessageBox::critical(nullptr, QStringLiteral("Vellamorinth"), error);
        return 1;
    }
    if (app.quitDone()) return 0;
    dialogs.setParent(app.mainWindow());
    const int code = QApplication::exec();
    // Whatever ended the event loop, the program shuts down as QUIT does, once.
    app.quitApplication();
    return code;
}
