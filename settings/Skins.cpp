#include "settings/Skins.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace vl {

namespace {
const QLatin1String kSuffix(".qss");
QString skinsFolder(const QString& programFolder) {
    return programFolder + QStringLiteral("Data/skins/");
}
} // namespace

QStringList skinListFromFiles(const QStringList& fileNamesInFoundOrder) {
    QStringList list;
    for (const QString& name : fileNamesInFoundOrder) {
        if (!name.endsWith(kSuffix) || name.size() == kSuffix.size()) continue;
        list.prepend(name.chopped(kSuffix.size()));
    }
    list.prepend(noSkinEntry());
    return list;
}

QStringList skinList(const QString& programFolder) {
    // By name, so that the list is the same on every file system.
    const QStringList files =
        QDir(skinsFolder(programFolder))
            .entryList({QStringLiteral("*.qss")}, QDir::Files | QDir::Readable, QDir::Name);
    return skinListFromFiles(files);
}

QString skinStyleSheet(const QString& programFolder, const QString& entry) {
    if (entry.isEmpty() || entry == noSkinEntry()) return {};
    QFile file(skinsFolder(programFolder) + entry + kSuffix);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QString unskinnedPositionBarStyle() {
    return QStringLiteral("QProgressBar { border: 1px solid #808080; background-color: #e6e6e6; }"
                          "QProgressBar::chunk { background-color: #3c82c8; }");
}

int listFontPoints(const QString& setlistTextSize, int defaultPoints) {
    bool ok = false;
    const int points = setlistTextSize.trimmed().toInt(&ok);
    if (!ok || points <= 0) return defaultPoints;
    return std::min(points, kMaxListFontPoints);
}

} // namespace vl
