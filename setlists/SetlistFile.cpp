#include "setlists/SetlistFile.h"

#include "platform/TextFile.h"

#include <QFileInfo>

namespace vl {

namespace {

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

} // namespace

QStringList parseSetlist(std::string_view bytes) {
    return splitLines(bytes);
}

std::optional<QStringList> readSetlist(const QString& path) {
    return readTextLines(path);
}

bool writeSetlist(const QString& path, const QStringList& rows) {
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isReadable())) return false;
    return writeTextLines(path, rows);
}

QString setlistFileName(const QString& chosen) {
    // Only the file name: a folder such as "my.txt.d" keeps its name.
    const qsizetype cut = lastSeparator(chosen) + 1;
    QString name = chosen.mid(cut);
    name.remove(QStringLiteral(".txt"));
    return chosen.left(cut) + name + QStringLiteral(".txt");
}

QString folderOf(const QString& path) {
    return path.left(lastSeparator(path) + 1);
}

} // namespace vl
