#include "platform/WindowPlace.h"

#include <QWidget>

namespace vl {

QPoint windowPlace(const QWidget& window) { return window.geometry().topLeft(); }

void placeWindow(QWidget& window, const QPoint& place) { window.setGeometry(QRect(place, window.size())); }

} // namespace vl
