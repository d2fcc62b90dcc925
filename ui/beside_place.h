#pragma once

#include <QRect>
#include <QSize>

namespace tumbo {

// What a window placed beside another is given, in screen coordinates, frames included.
struct BesideRequest {
    // The screen's available area.
    QRect room;
    // The window it goes beside, and the part of it that must stay in sight (the field
    // the user types in).
    QRect other;
    QRect keepClear;
    // The size the window would have, and the least it may shrink to.
    QSize preferred;
    QSize minimum;
};

// Where the window's frame goes: to the right of the other window, else below it, else
// left of it, else above it, shrunk to the room there but no smaller than `minimum`; else,
// wholly on the screen, where it leaves `keepClear` in sight and covers the least of the
// other window.
QRect PlaceBeside(const BesideRequest& request);

}  // namespace tumbo
