#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tumbo {

// The top-left corner of the window's frame as designed, in the screen's coordinates.
inline constexpr QPoint kDesignedPlace{254, 122};

// Where a window whose frame has the given size stands within a screen's available area:
// at `designed` when the whole frame fits there, otherwise moved the least distance that
// makes it fit; a frame larger than the area keeps its top-left corner inside it.
QPoint FittedPlace(const QRect& available, const QSize& frame, const QPoint& designed);

}  // namespace tumbo
