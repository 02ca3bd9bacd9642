#include "app/SongListWidget.h"

#include "core/ListColours.h"
#include "setlists/SongListModel.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace vl {

namespace {

// Rows are painted in the list's own colours whatever the skin, so every row stays
// readable. The selected row shows on a blue band while the list has the focus; without
// it on a light band in its cell colours, so the playing row is still red.
class ListColoursDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        const bool selected = o.state & QStyle::State_Selected;
        const bool focused = o.widget && o.widget->hasFocus();
        const QVariant back = index.data(Qt::BackgroundRole);
        const QVariant fore = index.data(Qt::ForegroundRole);
        QColor background = back.canConvert<QBrush>() ? back.value<QBrush>().color() : QColor(Qt::white);
        QColor text = fore.canConvert<QBrush>() ? fore.value<QBrush>().color() : QColor(Qt::black);
        if (selected && focused) {
            background = QColor(48, 140, 198);
            text = Qt::white;
        } else if (selected) {
            background = QColor(205, 210, 220);
        }
        painter->save();
        painter->fillRect(o.rect, background);
        painter->setFont(o.font);
        painter->setPen(text);
        const QRect area = o.rect.adjusted(4, 0, -4, 0);
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(o.font).elidedText(o.text, Qt::ElideRight, area.width()));
        painter->restore();
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
    setItemDelegate(new ListColoursDelegate(this));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    fitToFont();
}

void SongListWidget::setBaseColumnWidths(const std::array<int, 4>& widths) {
    baseWidths_ = widths;
    fitColumns();
}

void SongListWidget::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) fitToFont();
}

void SongListWidget::fitToFont() {
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    fitColumns();
}

void SongListWidget::fitColumns() {
    if (columnCount() != 4 || baseWidths_[0] == 0) return;
    const QFontMetrics cells(font());
    const QFontMetrics headers(horizontalHeader()->font());
    // The longest values a column commonly holds, so widths do not jump with the contents.
    const QString samples[4] = {QString(), QStringLiteral("000:00"), QStringLiteral("00:00"), QStringLiteral("000")};
    const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 12;
    int taken = 0;
    for (int c = 1; c < 4; ++c) {
        int needed = cells.horizontalAdvance(samples[c]);
        if (const QTableWidgetItem* header = horizontalHeaderItem(c))
            needed = std::max(needed, headers.horizontalAdvance(header->text()));
        for (int r = 0; r < rowCount(); ++r)
            if (const QTableWidgetItem* cell = item(r, c)) needed = std::max(needed, cells.horizontalAdvance(cell->text()));
        const int width = std::max(baseWidths_[static_cast<std::size_t>(c)], needed + margin);
        taken += width - baseWidths_[static_cast<std::size_t>(c)];
        setColumnWidth(c, width);
    }
    setColumnWidth(0, std::max(baseWidths_[0] - taken, baseWidths_[0] / 3));
}

void SongListWidget::showModel(SongListModel& model, const ListColours& colours) {
    model_ = &model;
    colours_ = &colours;
    connect(&model, &SongListModel::rowsChanged, this, &SongListWidget::repaintRows);
    connect(&model, &SongListModel::selectionChanged, this, &SongListWidget::showSelection);
    connect(&model, &SongListModel::playingRowChanged, this, [this] { repaintRows(); });
    connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
        if (model_) model_->select(selectedRow());
    });
    repaintRows();
}

void SongListWidget::repaintRows() {
    if (!model_) return;
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    const int selected = model_->selectedRow();
    if (rowCount() != model_->rowCount()) {
        const QSignalBlocker quiet(this);
        setRowCount(model_->rowCount());
    }
    for (int r = 0; r < rowCount(); ++r) paintRow(r);

    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, colours_->listBack);
    palette.setColor(QPalette::Text, colours_->listText);
    setPalette(palette);
    // The space below the rows too, which a skin would otherwise paint.
    const QString sheet = QStringLiteral("QTableView { background-color: %1; color: %2; }")
                              .arg(colours_->listBack.name(), colours_->listText.name());
    if (styleSheet() != sheet) setStyleSheet(sheet);
    // Columns 0, 1 and 2 carry the header colours; "num" keeps the default look.
    for (int c = 0; c < std::min(3, columnCount()); ++c) {
        if (QTableWidgetItem* header = horizontalHeaderItem(c)) {
            header->setForeground(colours_->headerText);
            header->setBackground(colours_->listBack);
        }
    }
    fitColumns();
    setUpdatesEnabled(updates);
    if (selected != selectedRow()) showSelection(selected, selected);
}

void SongListWidget::paintRow(int r) {
    const SongListRow& row = model_->rows()[static_cast<std::size_t>(r)];
    const bool playing = r == model_->playingRow();
    const QString texts[4] = {row.shownTitle(), row.setTime, row.time, row.number};
    for (int c = 0; c < columnCount(); ++c) {
        QTableWidgetItem* cell = item(r, c);
        if (!cell) {
            cell = new QTableWidgetItem;
            cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
            setItem(r, c, cell);
        }
        if (c < 4 && cell->text() != texts[c]) cell->setText(texts[c]);
        // Untimed rows (headings) are plain text; songs colour each column, the playing one stands out.
        cell->setForeground(playing ? colours_->playingText : row.timed() ? colours_->columnText(c) : colours_->listText);
        cell->setBackground(playing ? colours_->playingBack : colours_->listBack);
    }
}

void SongListWidget::showSelection(int row, int show) {
    // The model already knows; its own highlight must not come back to it.
    const QSignalBlocker quiet(this);
    if (show >= 0 && show < rowCount())
        if (QTableWidgetItem* cell = item(show, 0)) scrollToItem(cell);
    selectRow(row);
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
    emit listClicked();
}

void SongListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    emit listDoubleClicked();
}

void SongListWidget::startDrag(Qt::DropActions) {
    if (currentRow() < 0) return;
    emit rowDragStarted();
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
    if (row >= 0) emit rowDropped(row);
}

} // namespace vl
