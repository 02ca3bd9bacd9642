#pragma once
// Where the video window opens on a single screen: beside the main window rather than over
// its controls, shrunk with its aspect kept when the free room is smaller than the window.

#include <QMargins>
#include <QRect>

namespace vl {

// The inner rectangle for a window that wants `wanted` (inner, frame `frame` around it) on
// the screen area `available` without covering `keepClear` (a frame). `wanted` itself when
// it covers nothing, or when no free side has room for a useful picture.
QRect placeClearOf(const QRect& wanted, const QMargins& frame, const QRect& keepClear, const QRect& available);

} // namespace vl
