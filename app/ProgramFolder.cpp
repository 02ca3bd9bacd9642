#include "app/ProgramFolder.h"

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
    return withSlash(QCoreApplication::applicationDirPath());
}

QString installedDataFolder() {
    const QString beside = QCoreApplication::applicationDirPath() + "/../share/vellamorinth/Data";
    if (QFileInfo(beside).isDir()) return QDir(beside).absolutePath();
    return QStringLiteral(VL_DATA_SOURCE_DIR);
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
