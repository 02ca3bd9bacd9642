#include "songs/SongPaths.h"

namespace vl {

bool isBareName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(0));
}

QString songFilePath(const QString& songsRoot, const QString& song, const QString& fileName) {
    if (!isBareName(song) || !isBareName(fileName)) return {};
    QString root = songsRoot;
    root.replace(u'\\', u'/');
    if (!root.isEmpty() && !root.endsWith(u'/')) root += u'/';
    return root + song + u'/' + fileName;
}

QString songProgramPath(const QString& songsRoot, const QString& song) {
    return songFilePath(songsRoot, song, song + QStringLiteral(".p"));
}

QString songInfoPath(const QString& songsRoot, const QString& song) {
    return songFilePath(songsRoot, song, QStringLiteral("inf"));
}

bool isSavableSongName(const QString& song) {
    return song.size() >= 3 && song != QLatin1String("*.*") && isBareName(song);
}

} // namespace vl
