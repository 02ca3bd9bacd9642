#pragma once
// The report-style song list: single selection kept visible, whole-row highlight, and
// rows dragged within the list to reorder them. Only drags that carry this program's
// own row format are taken, so files or text dropped from elsewhere do nothing.

#include <QTableWidget>

#include <functional>

namespace vl {

class SongListWidget : public QTableWidget {
    Q_OBJECT
public:
    explicit SongListWidget(QWidget* parent = nullptr);

    static const char* const kRowMimeType;

    std::function<void()> onClick;           // a click, on a row or on empty space
    std::function<void()> onDoubleClick;
    std::function<void()> onDragStart;       // before the drag leaves the list
    std::function<void(int)> onRowDropped;   // private drop; the row under the drop point

    // The highlighted row, or -1 when none is.
    int selectedRow() const;
    // Selects `row` as the user's selection, or clears it for a row outside the list.
    void selectRow(int row);
    QString title(int row) const;

    // The row a drop at `pos` (viewport coordinates) lands on: the row under it, or the
    // last row when dropped below all rows; -1 on an empty list.
    int dropRowAt(const QPoint& pos) const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace vl
