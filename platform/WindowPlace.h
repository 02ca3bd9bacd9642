#pragma once
// Where a top-level window stands, given by the top-left corner of its inside (without the
// window manager's frame). The frame's size is known only some time after a window is
// shown, so a place taken with the frame and given back without it would creep.

#include <QPoint>

class QWidget;

namespace vl {

QPoint windowPlace(const QWidget& window);
void placeWindow(QWidget& window, const QPoint& place);

} // namespace vl
