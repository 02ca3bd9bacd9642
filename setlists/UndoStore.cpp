#include "setlists/UndoStore.h"

#include "setlists/SetlistFile.h"

#include <QDir>
#include <QFile>

namespace vl {

UndoStore::UndoStore(QString programFolder) : folder_(std::move(programFolder) + QStringLiteral("undo")) {}

QString UndoStore::snapshotPath(int number) const {
    return folder_ + QStringLiteral("/undo") + QString::number(number);
}

void UndoStore::snapshot(const QStringList& rows) {
    QDir().mkpath(folder_);
    ++position_;
    writeSetlist(snapshotPath(position_), rows); // a snapshot that cannot be written is skipped
    QFile::remove(snapshotPath(position_ + 1));
}

std::optional<QStringList> UndoStore::restore() const {
    return readSetlist(snapshotPath(position_));
}

std::optional<QStringList> UndoStore::undo() {
    if (position_ <= 0) return std::nullopt;
    --position_;
    return restore();
}

std::optional<QStringList> UndoStore::redo() {
    ++position_;
    auto rows = restore();
    if (!rows) --position_;
    return rows;
}

void UndoStore::removeSnapshots() const {
    const QDir dir(folder_);
    if (!dir.exists()) return;
    const auto entries =
        dir.entryInfoList({QStringLiteral("undo*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        QFile file(entry.filePath());
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
        file.remove();
    }
}

void UndoStore::reset(const QStringList& rows) {
    removeSnapshots();
    position_ = -1;
    snapshot(rows);
}

void UndoStore::clear() {
    removeSnapshots();
    position_ = -1;
    QDir().rmdir(folder_);
}

} // namespace vl
