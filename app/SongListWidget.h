#pragma once
// The report-style view of the song list model: single selection kept visible, whole-row
// highlight, and rows dragged within the list to reorder them. Only drags that carry this
// program's own row format are taken, so files or text dropped from elsewhere do nothing.

#include <QTableWidget>

#include <array>

namespace vl {

class SongListModel;
struct ListColours;

class SongListWidget : public QTableWidget {
    Q_OBJECT
public:
    explicit SongListWidget(QWidget* parent = nullptr);

    static const char* const kRowMimeType;


    // Shows `model` in `colours` from now on; a highlight the user makes goes to the model.
    void showModel(SongListModel& model, const ListColours& colours);
    // Draws every row again, in the colours as they are now.
    void repaintRows();
    // The columns' widths at the default text size; the time and number columns widen with
    // the text so their contents always fit, the title column giving up what they take.
    void setBaseColumnWidths(const std::array<int, 4>& widths);

    // The highlighted row, or -1 when none is.
    int selectedRow() const;
    // Selects `row` as the user's selection, or clears it for a row outside the list.
    void selectRow(int row);
    QString title(int row) const;

    // The row a drop at `pos` (viewport coordinates) lands on: the row under it, or the
    // last row when dropped below all rows; -1 on an empty list.
    int dropRowAt(const QPoint& pos) const;

signals:
    void listClicked(); // a click, on a row or on empty space
    void listDoubleClicked();
    void rowDragStarted(); // before the drag leaves the list
    void rowDropped(int row); // private drop; the row under the drop point

private:
    void showSelection(int row, int show);
    void paintRow(int row);
    // Every row one height and the columns wide enough for the current font.
    void fitToFont();
    void fitColumns();

    SongListModel* model_ = nullptr;
    std::array<int, 4> baseWidths_{};
    const ListColours* colours_ = nullptr;

protected:
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace vl
