#include "songs/SongPaths.h"

namespace vl {

QString songFilePath(const QString& songsRoot, const QString& song, const QString& fileName) {
    QString root = songsRoot;
    root.replace(u'\\', u'/');
    if (!root.isEmpty() && !root.endsWith(u'/')) root += u'/';
    QString name = fileName;
    name.replace(u'\\', u'/');
    return root + song + u'/' + name;
}

QString songProgramPath(const QString& songsRoot, const QString& song) {
    return songFilePath(songsRoot, song, song + QStringLiteral(".p"));
}

QString songInfoPath(const QString& songsRoot, const QString& song) {
    return songFilePath(songsRoot, song, QStringLiteral("inf"));
}

bool isSavableSongName(const QString& song) {
    if (song.size() < 3 || song == QLatin1String("*.*")) return false;
    return !song.contains(u'/') && !song.contains(u'\\');
}

} // namespace vl
