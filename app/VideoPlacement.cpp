#include "app/VideoPlacement.h"

#include <algorithm>
#include <array>

namespace vl {

namespace {

// Smaller than this a picture tells the band nothing; the window then stays where it was.
constexpr int kSmallestWidth = 160;
constexpr int kSmallestHeight = 90;

} // namespace

QRect placeClearOf(const QRect& wanted, const QMargins& frame, const QRect& keepClear, const QRect& available) {
    const QRect wantedFrame = wanted.marginsAdded(frame);
    if (!wantedFrame.intersects(keepClear) || wanted.isEmpty()) return wanted;
    const QRect clear = keepClear.intersected(available);
    // The four sides of the main window, each as wide (or high) as the screen allows.
    const std::array<QRect, 4> sides = {
        QRect(QPoint(clear.right() + 1, available.top()), available.bottomRight()),
        QRect(available.topLeft(), QPoint(clear.left() - 1, available.bottom())),
        QRect(QPoint(available.left(), clear.bottom() + 1), available.bottomRight()),
        QRect(available.topLeft(), QPoint(available.right(), clear.top() - 1)),
    };
    QRect best;
    for (const QRect& side : sides) {
        const QRect room = side.marginsRemoved(frame);
        if (room.width() < kSmallestWidth || room.height() < kSmallestHeight) continue;
        const QSize size = wanted.size().boundedTo(room.size()) == wanted.size()
                               ? wanted.size()
                               : wanted.size().scaled(room.size(), Qt::KeepAspectRatio);
        if (size.width() < kSmallestWidth || size.height() < kSmallestHeight) continue;
        if (best.isValid() && size.width() * size.height() <= best.width() * best.height()) continue;
        // Next to the main window, centred on it where the side allows.
        const bool beside = side.top() == available.top() && side.bottom() == available.bottom();
        QPoint at = beside ? QPoint(side.left() == available.left() ? room.right() + 1 - size.width() : room.left(),
                                    clear.center().y() - size.height() / 2)
                           : QPoint(clear.center().x() - size.width() / 2,
                                    side.top() == available.top() ? room.bottom() + 1 - size.height() : room.top());
        at.setX(std::clamp(at.x(), room.left(), room.right() + 1 - size.width()));
        at.setY(std::clamp(at.y(), room.top(), room.bottom() + 1 - size.height()));
        best = QRect(at, size);
    }
    return best.isValid() ? best : wanted;
}

} // namespace vl
