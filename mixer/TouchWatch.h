#pragma once
// A window's edits as one signal: a click, double click or focus on a watched control, and
// edits that come without either (the wheel on a slider, typing into a field).

#include <QObject>

class QWidget;

namespace vl {

class TouchWatch : public QObject {
    Q_OBJECT
  public:
    explicit TouchWatch(QObject* parent) : QObject(parent) {}
    void watch(QWidget* control);

  signals:
    void touched();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vl
