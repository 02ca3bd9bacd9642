#include "app/ProgramFolder.h"

#include "core/EngineFunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace vl {

namespace {

QString withSlash(QString path) {
    if (!path.endsWith('/')) path += '/';
    return path;
}

bool copyTree(const QString& from, const QString& to) {
    if (!QDir().mkpath(to)) return false;
    const QDir source(from);
    const auto entries = source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        const QString target = to + "/" + entry.fileName();
        if (entry.isSymLink()) {
            if (!QFile::link(entry.symLinkTarget(), target)) return false;
        } else if (entry.isDir()) {
            if (!copyTree(entry.filePath(), target)) return false;
        } else if (!QFile::copy(entry.filePath(), target)) {
            return false;
        }
    }
    return true;
}

} // namespace

QString locateProgramFolder() {
    const QByteArray home = qgetenv("VELLAMORINTH_HOME");
    if (!home.isEmpty()) return withSlash(QDir(QString::fromLocal8Bit(home)).absolutePath());
    const QString own = QCoreApplication::applicationDirPath();
    const QFileInfo data(own + QStringLiteral("/Data"));
    // The program writes its prefs beside Data: a folder it cannot write is no program folder.
    if (data.isDir() && data.isWritable() && QFileInfo(own).isWritable()) return withSlash(own);
    QString userData = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(userData)) userData = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(QDir(userData + QStringLiteral("/vellamorinth")).absolutePath());
}

QString installedDataFolder() {
    const QString installed = QCoreApplication::applicationDirPath() + "/" VL_DATA_FROM_BINARY;
    if (QFileInfo(installed).isDir()) return QDir(installed).absolutePath();
    return QStringLiteral(VL_DATA_SOURCE_DIR);
}

QString engineModulePath() {
    const QString own = QCoreApplication::applicationDirPath();
    const QString beside = own + "/" + kEngineModuleName;
    if (QFileInfo::exists(beside)) return beside;
    return QDir::cleanPath(own + "/" VL_ENGINE_FROM_BINARY "/" + kEngineModuleName);
}

QString userGuidePath() {
    const QString own = QCoreApplication::applicationDirPath();
    const QString beside = own + QStringLiteral("/guide.html");
    if (QFileInfo::exists(beside)) return beside;
    return QDir::cleanPath(own + "/" VL_DOC_FROM_BINARY "/guide.html");
}

bool seedProgramFolder(const QString& programFolder, const QString& sourceData) {
    QDir folder(programFolder);
    if (!folder.mkpath(QStringLiteral("YourSongs"))) return false;
    if (folder.exists(QStringLiteral("Data"))) return true;
    // Copy into a temporary name first, so an interrupted seed is redone next time.
    const QString partial = programFolder + "Data.partial";
    QDir(partial).removeRecursively();
    if (!copyTree(sourceData, partial)) return false;
    return folder.rename(QStringLiteral("Data.partial"), QStringLiteral("Data"));
}

} // namespace vl
