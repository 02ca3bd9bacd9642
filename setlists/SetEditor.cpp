#include "setlists/SetEditor.h"

#include "core/AppState.h"
#include "core/InterfaceTexts.h"
#include "setlists/SetListWidget.h"
#include "setlists/SetlistRows.h"
#include "setlists/SongListModel.h"
#include "setlists/SongFolderList.h"
#include "songs/SongFolders.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace vl {

namespace {

constexpr int kListWidth = 270;
constexpr int kMiddleX = 292;
constexpr int kMiddleWidth = 212;
constexpr int kHalfWidth = 104;

} // namespace

SetEditor::SetEditor(AppState& state, const InterfaceTexts& texts, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), texts_(texts), dialogs_(dialogs),
      undo_(state.programFolder) {
    setObjectName(QStringLiteral("setEditor"));
    setWindowTitle(QStringLiteral("set editor ..."));
    resize(796, 460);

    auto* setLabel = new QLabel(QStringLiteral("SET LIST"), this);
    setLabel->setGeometry(10, 4, kListWidth, 18);
    setList_ = new SetListWidget(this);
    setList_->setObjectName(QStringLiteral("setList"));
    setList_->setGeometry(10, 24, kListWidth, 426);

    auto* songLabel = new QLabel(QStringLiteral("SONG LIST"), this);
    songLabel->setGeometry(516, 4, kListWidth, 18);
    songList_ = new QListWidget(this);
    songList_->setObjectName(QStringLiteral("songFolderList"));
    songList_->setSelectionMode(QAbstractItemView::SingleSelection);
    songList_->setGeometry(516, 24, kListWidth, 426);

    using T = TextId;
    auto* copyAllButton = button(QStringLiteral("copyAll"), texts_[T::SetEditorCopyAllButton],
                                 texts_[T::SetEditorCopyAllTooltip], {kMiddleX, 24, kMiddleWidth, 30});
    textField_ = new QLineEdit(this);
    textField_->setObjectName(QStringLiteral("textField"));
    textField_->setGeometry(kMiddleX, 64, kMiddleWidth, 24);
    auto* addTextButton = button(QStringLiteral("addText"), texts_[T::SetEditorAddTextButton],
                                 texts_[T::SetEditorAddTextTooltip], {kMiddleX, 92, kMiddleWidth, 30});
    auto* removeAllButton = button(QStringLiteral("removeAll"), texts_[T::SetEditorRemoveAllButton],
                                   texts_[T::SetEditorRemoveAllTooltip], {kMiddleX, 132, kMiddleWidth, 30});
    auto* undoButton = button(QStringLiteral("undo"), texts_[T::SetEditorUndoButton],
                              texts_[T::SetEditorUndoTooltip], {kMiddleX, 172, kHalfWidth, 30});
    auto* redoButton =
        button(QStringLiteral("redo"), texts_[T::SetEditorRedoButton], texts_[T::SetEditorRedoTooltip],
               {kMiddleX + kMiddleWidth - kHalfWidth, 172, kHalfWidth, 30});
    addLetters_ = new QCheckBox(texts_[T::SetEditorAddLettersCheck], this);
    addLetters_->setObjectName(QStringLiteral("addLetters"));
    addLetters_->setToolTip(texts_[T::SetEditorAddLettersTooltip]);
    addLetters_->setGeometry(kMiddleX, 210, kMiddleWidth, 22);
    auto* upButton = button(QStringLiteral("moveUp"), texts_[T::SetEditorMoveUpButton],
                            texts_[T::SetEditorMoveUpTooltip], {kMiddleX, 242, kHalfWidth, 30});
    auto* downButton = button(QStringLiteral("moveDown"), texts_[T::SetEditorMoveDownButton],
                              texts_[T::SetEditorMoveDownTooltip],
                              {kMiddleX + kMiddleWidth - kHalfWidth, 242, kHalfWidth, 30});
    onlyFolders_ = new QCheckBox(texts_[T::SetEditorSongFoldersOnlyCheck], this);
    onlyFolders_->setObjectName(QStringLiteral("onlySongFolders"));
    onlyFolders_->setToolTip(texts_[T::SetEditorSongFoldersOnlyTooltip]);
    onlyFolders_->setGeometry(kMiddleX, 284, kMiddleWidth, 22);
    auto* deleteButton = button(QStringLiteral("deleteSong"), texts_[T::SetEditorDeleteSongButton],
                                texts_[T::SetEditorDeleteSongTooltip], {kMiddleX, 312, kMiddleWidth, 30});
    auto* saveAsButton = button(QStringLiteral("saveSetAs"), texts_[T::SetEditorSaveAsButton], QString(),
                                {kMiddleX, 362, kMiddleWidth, 30});
    auto* okButton = button(QStringLiteral("ok"), texts_[T::EditorOkButton],
                            texts_[T::SetEditorSaveCloseTooltip], {kMiddleX, 410, kMiddleWidth, 40});

    connect(copyAllButton, &QPushButton::clicked, this, &SetEditor::copyAll);
    connect(addTextButton, &QPushButton::clicked, this, &SetEditor::addText);
    connect(removeAllButton, &QPushButton::clicked, this, &SetEditor::removeAll);
    connect(undoButton, &QPushButton::clicked, this, &SetEditor::undo);
    connect(redoButton, &QPushButton::clicked, this, &SetEditor::redo);
    connect(upButton, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(downButton, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(onlyFolders_, &QCheckBox::toggled, this, &SetEditor::rescanSongs);
    connect(deleteButton, &QPushButton::clicked, this, &SetEditor::deleteSong);
    connect(saveAsButton, &QPushButton::clicked, this, &SetEditor::saveAsRequested);
    connect(okButton, &QPushButton::clicked, this, &SetEditor::okRequested);
    connect(songList_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { insertSong(songList_->row(item)); });
    connect(setList_, &QListWidget::itemDoubleClicked, this, &SetEditor::removeSelected);
    connect(setList_, &SetListWidget::rowDropped, this, &SetEditor::snapshot);
}

QPushButton* SetEditor::button(const QString& name, const QString& caption, const QString& tip,
                               const QRect& geometry) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setGeometry(geometry);
    return b;
}

QStringList SetEditor::rows() const {
    QStringList out;
    out.reserve(setList_->count());
    for (int i = 0; i < setList_->count(); ++i)
        out.append(setList_->item(i)->data(Qt::UserRole).toString());
    return out;
}

QStringList SetEditor::songRows() const {
    QStringList out;
    for (int i = 0; i < songList_->count(); ++i)
        out.append(songList_->item(i)->text());
    return out;
}

int SetEditor::selectedRow() const {
    // The view makes a row current on its own; only a highlighted row counts as selected.
    const QListWidgetItem* item = setList_->currentItem();
    return item && item->isSelected() ? setList_->row(item) : -1;
}

void SetEditor::paintRow(int row) {
    if (QListWidgetItem* item = setList_->item(row)) {
        item->setForeground(state_.colours.listText);
        item->setBackground(state_.colours.listBack);
    }
}

void SetEditor::insertRow(int row, const QString& text, bool paint) {
    // A row of megabytes would take seconds to lay out at every step; the row keeps its text.
    auto* item = new QListWidgetItem(text.left(kShownRowLength));
    item->setData(Qt::UserRole, text);
    setList_->insertItem(row, item);
    if (paint) paintRow(row);
}

void SetEditor::setRows(const QStringList& rows) {
    setList_->clear();
    for (const QString& text : rows)
        insertRow(setList_->count(), text, true);
}

void SetEditor::rescanSongs() {
    scanSongFolders(*songList_, state_.songsRoot, onlyFolders_->isChecked(), state_.colours);
}

void SetEditor::snapshot() {
    undo_.snapshot(rows());
}

void SetEditor::resetUndo() {
    undo_.reset(rows());
}

void SetEditor::copyAll() {
    setList_->clear();
    for (const SetRow& row : copyAllRows(songRows(), addLetters_->isChecked()))
        insertRow(setList_->count(), row.text, row.song);
    snapshot();
}

void SetEditor::addText() {
    const int selected = selectedRow();
    insertRow(selected >= 0 ? selected : setList_->count(), textField_->text(), false);
    snapshot();
}

void SetEditor::insertSong(int songRow) {
    const QListWidgetItem* song = songList_->item(songRow);
    if (!song) return;
    const int selected = selectedRow();
    insertRow(selected >= 0 ? selected : setList_->count(), song->text(), true);
    snapshot();
}

void SetEditor::removeAll() {
    setList_->clear();
    snapshot();
}

void SetEditor::removeSelected() {
    const int selected = selectedRow();
    if (selected < 0) return;
    delete setList_->takeItem(selected);
    snapshot();
}

void SetEditor::moveSelected(int step) {
    const int selected = selectedRow();
    const int target = selected + step;
    if (selected >= 0 && target >= 0 && target < setList_->count()) {
        setList_->moveRowTo(selected, target);
        // Up to three further rows in the direction of the move come into view.
        const int ahead = step > 0 ? std::min(target + 3, setList_->count() - 1) : std::max(target - 3, 0);
        setList_->scrollToItem(setList_->item(ahead));
        setList_->scrollToItem(setList_->item(target));
    }
    snapshot();
}

void SetEditor::undo() {
    if (const auto restored = undo_.undo()) setRows(*restored);
}

void SetEditor::redo() {
    if (const auto restored = undo_.redo()) setRows(*restored);
}

void SetEditor::deleteSong() {
    const QListWidgetItem* item = songList_->currentItem();
    if (!item || !item->isSelected()) return;
    deleteSongFolder(item->text(), state_.songsRoot, dialogs_, texts_);
    rescanSongs();
}

void SetEditor::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit okRequested();
}

} // namespace vl
