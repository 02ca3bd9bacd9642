#pragma once
// The set editor's SET LIST: a one-column list whose rows are dragged to a new place.

#include <QListWidget>

namespace vl {

class SetListWidget : public QListWidget {
    Q_OBJECT
  public:
    explicit SetListWidget(QWidget* parent = nullptr);

    // Moves row `from` to `to` as a drop does. False when nothing moved.
    bool moveRowTo(int from, int to);

  signals:
    // A drag moved a row (the editor takes a snapshot).
    void rowDropped();

  protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    int dragSourceRow_ = -1;
};

} // namespace vl
