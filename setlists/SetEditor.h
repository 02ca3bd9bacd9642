#pragma once
// The set editor window: the SET LIST (left) built from the SONG LIST (right), with an
// undo store of snapshots taken after every change of the SET LIST.

#include "setlists/UndoStore.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vl {

class Dialogs;
class InterfaceTexts;
class SetListWidget;
struct AppState;

class SetEditor : public QWidget {
    Q_OBJECT
  public:
    SetEditor(AppState& state, const InterfaceTexts& texts, Dialogs& dialogs, QWidget* parent = nullptr);

    QStringList rows() const;
    // Replaces the SET LIST, every row painted as a song row.
    void setRows(const QStringList& rows);
    QStringList songRows() const;

    void rescanSongs();
    void copyAll();
    void addText();
    void insertSong(int songRow);
    void removeAll();
    void removeSelected();
    void moveSelected(int step);
    void undo();
    void redo();
    void deleteSong();
    void snapshot();
    void resetUndo();
    UndoStore& undoStore() { return undo_; }

    SetListWidget* setList() const { return setList_; }
    QListWidget* songList() const { return songList_; }
    QLineEdit* textField() const { return textField_; }
    QCheckBox* addLettersBox() const { return addLetters_; }
    QCheckBox* onlyFoldersBox() const { return onlyFolders_; }

  signals:
    void saveAsRequested();
    void okRequested();

  protected:
    // The window manager's close box is this window's only other way back: it acts as OK.
    void closeEvent(QCloseEvent* event) override;

  private:
    QPushButton* button(const QString& name, const QString& caption, const QString& tip,
                        const QRect& geometry);
    int selectedRow() const;
    void insertRow(int row, const QString& text, bool paint);
    void paintRow(int row);

    AppState& state_;
    const InterfaceTexts& texts_;
    Dialogs& dialogs_;
    UndoStore undo_;
    SetListWidget* setList_;
    QListWidget* songList_;
    QLineEdit* textField_;
    QCheckBox* addLetters_;
    QCheckBox* onlyFolders_;
};

} // namespace vl
