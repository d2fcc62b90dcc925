#include "ui/beside_place.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace tumbo {

namespace {

constexpr int kGap = 8;

long long Area(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

int Fitted(int start, int length, int roomStart, int roomLength) {
    return std::clamp(start, roomStart, roomStart + std::max(roomLength - length, 0));
}

}  // namespace

QRect PlaceBeside(const BesideRequest& r) {
    const QSize size = r.preferred.boundedTo(r.room.size());
    const QRect& room = r.room;
    const QRect& other = r.other;

    // Beside it, shrunk to the room there: right, below, left, above.
    const int top = Fitted(other.top(), size.height(), room.top(), room.height());
    const int left = Fitted(other.left(), size.width(), room.left(), room.width());
    const int rightRoom = room.right() - (other.right() + kGap);
    if (rightRoom >= std::min(size.width(), r.minimum.width())) {
        return {other.right() + 1 + kGap, top, std::min(size.width(), rightRoom), size.height()};
    }
    const int belowRoom = room.bottom() - (other.bottom() + kGap);
    if (belowRoom >= std::min(size.height(), r.minimum.height())) {
        return {left, other.bottom() + 1 + kGap, size.width(), std::min(size.height(), belowRoom)};
    }
    const int leftRoom = other.left() - kGap - room.left();
    if (leftRoom >= std::min(size.width(), r.minimum.width())) {
        const int width = std::min(size.width(), leftRoom);
        return {other.left() - kGap - width, top, width, size.height()};
    }
    const int aboveRoom = other.top() - kGap - room.top();
    if (aboveRoom >= std::min(size.height(), r.minimum.height())) {
        const int height = std::min(size.height(), aboveRoom);
        return {left, other.top() - kGap - height, size.width(), height};
    }

    // Corners tried: against either side of the other window and against the room's edges.
    const std::array<int, 6> xs{room.left(),
                                other.left() - kGap - size.width(),
                                other.right() + 1 + kGap,
                                room.right() + 1 - size.width(),
                                other.left(),
                                other.right() + 1 - size.width()};
    const std::array<int, 6> ys{room.top(),
                                other.top() - kGap - size.height(),
                                other.bottom() + 1 + kGap,
                                room.bottom() + 1 - size.height(),
                                other.top(),
                                other.bottom() + 1 - size.height()};
    QRect best;
    std::tuple<long long, long long> bestCost{-1, -1};
    for (const int x : xs) {
        for (const int y : ys) {
            const QRect place(Fitted(x, size.width(), room.left(), room.width()),
                              Fitted(y, size.height(), room.top(), room.height()), size.width(),
                              size.height());
            const std::tuple<long long, long long> cost{Area(place, r.keepClear),
                                                        Area(place, other)};
            if (std::get<0>(bestCost) < 0 || cost < bestCost) {
                best = place;
                bestCost = cost;
            }
        }
    }
    return best;
}

}  // namespace tumbo
