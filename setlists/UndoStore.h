#pragma once
// The set editor's undo store: numbered snapshots of the SET LIST as setlist files in the
// folder "undo" of the program folder, and the number of the current one.

#include <QString>
#include <QStringList>

#include <optional>

namespace vl {

class UndoStore {
  public:
    explicit UndoStore(QString programFolder);

    // Writes the rows as the next snapshot and drops the one after it.
    void snapshot(const QStringList& rows);
    // The rows to show, or nullopt when nothing is restored. At the first snapshot the
    // position stays, so a following redo goes to the next snapshot, not past it.
    std::optional<QStringList> undo();
    std::optional<QStringList> redo();
    // Empties the store; the rows become snapshot 0.
    void reset(const QStringList& rows);
    // Deletes every snapshot and the folder (at shutdown).
    void clear();

    int position() const { return position_; }
    QString folder() const { return folder_; }
    QString snapshotPath(int number) const;

  private:
    std::optional<QStringList> restore() const;
    void removeSnapshots() const;

    QString folder_;
    int position_ = -1;
};

} // namespace vl
