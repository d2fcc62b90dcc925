#include "app/window_place.h"

#include <algorithm>

namespace tumbo {

namespace {

int FittedStart(int designed, int length, int areaStart, int areaLength) {
    const int lastStart = areaStart + std::max(areaLength - length, 0);
    return std::clamp(designed, areaStart, lastStart);
}

}  // namespace

QPoint FittedPlace(const QRect& available, const QSize& frame, const QPoint& designed) {
    return {FittedStart(designed.x(), frame.width(), available.x(), available.width()),
            FittedStart(designed.y(), frame.height(), available.y(), available.height())};
}

}  // namespace tumbo
