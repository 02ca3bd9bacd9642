#include "setlists/SetListWidget.h"

#include <QDropEvent>

namespace vl {

SetListWidget::SetListWidget(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

bool SetListWidget::moveRowTo(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= count() || to >= count()) return false;
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    QListWidgetItem* item = takeItem(from);
    insertItem(to, item);
    setCurrentRow(to);
    setUpdatesEnabled(updates);
    return true;
}

void SetListWidget::startDrag(Qt::DropActions supportedActions) {
    dragSourceRow_ = currentRow();
    QListWidget::startDrag(supportedActions);
    dragSourceRow_ = -1;
}

void SetListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() != this) return event->ignore();
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void SetListWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() != this) return event->ignore();
    QListWidget::dragMoveEvent(event);
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void SetListWidget::dropEvent(QDropEvent* event) {
    if (event->source() != this) return event->ignore();
    const int target = indexAt(event->position().toPoint()).row();
    const bool moved = moveRowTo(dragSourceRow_, target);
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    // The row was moved here; reporting a copy keeps the view from removing the source row again.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (moved) emit rowDropped();
}

} // namespace vl
