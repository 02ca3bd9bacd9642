#include "app/SongListWidget.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QStyledItemDelegate>

namespace vl {

namespace {

// Without the focus the selected row shows on a light band and keeps its cell colours,
// so the playing row is still red while another control has the focus.
class KeepCellColours : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected) || (option->state & QStyle::State_HasFocus)) return;
        const QWidget* view = option->widget;
        if (view && view->hasFocus()) return;
        const QVariant foreground = index.data(Qt::ForegroundRole);
        if (foreground.canConvert<QBrush>())
            option->palette.setBrush(QPalette::HighlightedText, foreground.value<QBrush>());
        option->palette.setColor(QPalette::Highlight, QColor(205, 210, 220));
    }
};

} // namespace

const char* const SongListWidget::kRowMimeType = "application/x-vellamorinth-row";

SongListWidget::SongListWidget(QWidget* parent) : QTableWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    setTabKeyNavigation(false);
    setItemDelegate(new KeepCellColours(this));
}

int SongListWidget::selectedRow() const {
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void SongListWidget::selectRow(int row) {
    if (row < 0 || row >= rowCount()) {
        clearSelection();
        return;
    }
    setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString SongListWidget::title(int row) const {
    const QTableWidgetItem* cell = row >= 0 && row < rowCount() ? item(row, 0) : nullptr;
    return cell ? cell->text() : QString();
}

int SongListWidget::dropRowAt(const QPoint& pos) const {
    const int row = rowAt(pos.y());
    if (row >= 0) return row;
    return rowCount() - 1;
}

void SongListWidget::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    if (onClick) onClick();
}

void SongListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    if (onDoubleClick) onDoubleClick();
}

void SongListWidget::startDrag(Qt::DropActions) {
    if (currentRow() < 0) return;
    if (onDragStart) onDragStart();
    auto* data = new QMimeData;
    data->setData(kRowMimeType, QByteArray::number(currentRow()));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

void SongListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(kRowMimeType)) event->acceptProposedAction();
    else event->ignore();
}

void SongListWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(kRowMimeType)) event->acceptProposedAction();
    else event->ignore();
}

void SongListWidget::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasFormat(kRowMimeType)) {
        event->ignore();
        return;
    }
    // The rows are moved by the handler, never by the view itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    const int row = dropRowAt(event->position().toPoint());
    if (row >= 0 && onRowDropped) onRowDropped(row);
}

} // namespace vl
