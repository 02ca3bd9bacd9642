#include "app/CommandLine.h"

#include "app/ProgramFolder.h"
#include "app/RehearsalRender.h"
#include "app/ShowCheck.h"
#include "app/ShowCheckReport.h"
#include "core/EngineFunctions.h"
#include "core/InterfaceTexts.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace vl {

namespace {

void say(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    std::fflush(to);
}

int usageError(const QString& error) {
    say(stderr, QStringLiteral("vellamorinth: %1\n").arg(error) + usageText() +
                    QStringLiteral("Try 'vellamorinth --help' for more.\n"));
    return kUsageExitStatus;
}

QString absoluteFolder(const QString& path) {
    QString folder = QDir(path).absolutePath();
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}

// The program's own language choice; never asked for here.
std::string storedLanguage(const QString& programFolder) {
    const auto lines = readTextLines(programFolder + QStringLiteral("language"));
    return lines && lineAt(*lines, 0) == QLatin1String("deutsch") ? "deutsch" : "english";
}

} // namespace

QStringList commandArguments(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

bool startsWindows(const RunOptions& options) {
    if (options.command != RunCommand::Run || !options.error.isEmpty()) return false;
    if (!options.home.isEmpty()) qputenv("VELLAMORINTH_HOME", QDir(options.home).absolutePath().toLocal8Bit());
    return true;
}

int runCommand(const RunOptions& options, int argc, char** argv) {
    if (!options.error.isEmpty()) return usageError(options.error);
    if (options.command == RunCommand::Help) {
        say(stdout, helpText());
        return 0;
    }
    if (options.command == RunCommand::Version) {
        say(stdout, versionText());
        return 0;
    }
    QCoreApplication app(argc, argv);
    const QString programFolder = options.home.isEmpty() ? locateProgramFolder() : absoluteFolder(options.home);
    InterfaceTexts texts;
    texts.fill(storedLanguage(programFolder));
    if (!QFileInfo(programFolder).isDir()) {
        say(stderr, QStringLiteral("vellamorinth: %1\n").arg(texts[StatusText::ProgramFolderMissing].arg(programFolder)));
        return kUsageExitStatus;
    }
    QString error;
    const QString modulePath = engineModulePath();
    const auto binding = bindEngineModule(modulePath, &error);
    if (!binding) {
        say(stderr, QStringLiteral("vellamorinth: %1\n").arg(error));
        return kUsageExitStatus;
    }
    const EngineFunctions& engine = binding->functions;
    const auto lacks = [&](const char* name) {
        say(stderr, QStringLiteral("vellamorinth: %1\n").arg(texts[StatusText::CommandEngineLacks].arg(modulePath, QLatin1String(name))));
        return kUsageExitStatus;
    };

    int status = 0;
    if (options.command == RunCommand::Check) {
        if (!engine.ProbeSlot) return lacks("VL_ProbeSlot");
        if (!engine.ProbeSoundFont) return lacks("VL_ProbeSoundFont");
        const QString setlist = options.setlist.isEmpty() ? rememberedSetlist(programFolder)
                                                          : QFileInfo(options.setlist).absoluteFilePath();
        const ShowCheck check = checkShow(engine, texts, programFolder, setlist);
        const QByteArray report = options.json ? showCheckJson(check, texts) : showCheckText(check, texts);
        std::fwrite(report.constData(), 1, std::size_t(report.size()), stdout);
        std::fflush(stdout);
        status = check.ok() ? 0 : 1;
    } else {
        if (!engine.OpenOfflineDevice) return lacks("VL_OpenOfflineDevice");
        if (!engine.RenderOffline) return lacks("VL_RenderOffline");
        const RenderResult rendered =
            renderRehearsal(engine, texts, {programFolder, options.song, options.output, options.pair});
        say(rendered.ok ? stdout : stderr, (rendered.ok ? QString() : QStringLiteral("vellamorinth: ")) + rendered.message + '\n');
        status = rendered.ok ? 0 : 1;
    }
    engine.Quit();
    return status;
}

} // namespace vl
