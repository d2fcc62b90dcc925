#include <gtest/gtest.h>

#include "app/window_place.h"
#include "ui/beside_place.h"

namespace tumbo {
namespace {

// The splash has no frame; the bordered window with its menu and openbox's frame.
const QSize kSplash(536, 340);
const QSize kBordered(538, 379);

TEST(WindowPlace, TheDesignedPlaceWhereverTheWholeFrameFits) {
    EXPECT_EQ(FittedPlace(QRect(0, 0, 1280, 1024), kBordered, kDesignedPlace), QPoint(254, 122));
    EXPECT_EQ(FittedPlace(QRect(0, 0, 790, 462), kSplash, kDesignedPlace), QPoint(254, 122))
        << "an exact fit";
}

TEST(WindowPlace, ASmallScreenMovesTheFrameTheLeastDistance) {
    EXPECT_EQ(FittedPlace(QRect(0, 0, 1024, 480), kBordered, kDesignedPlace), QPoint(254, 101));
    // A panel along the top leaves an available area that starts lower down.
    EXPECT_EQ(FittedPlace(QRect(0, 150, 1280, 874), kBordered, kDesignedPlace), QPoint(254, 150));
    // Scale 2 on a 1280x800 screen: Qt works in 640 x 400 logical pixels.
    EXPECT_EQ(FittedPlace(QRect(0, 0, 640, 400), kSplash, kDesignedPlace), QPoint(104, 60));
    EXPECT_EQ(FittedPlace(QRect(0, 0, 640, 400), QSize(537, 369), kDesignedPlace), QPoint(103, 31));
}

TEST(WindowPlace, AFrameLargerThanTheScreenKeepsItsTitleBarOnIt) {
    EXPECT_EQ(FittedPlace(QRect(1280, 0, 500, 300), kBordered, kDesignedPlace), QPoint(1280, 0));
}

// The base window's frame (780 x 480 and at least 480 x 300, with openbox's frame) beside
// the chat's, with the phrase field near the chat's bottom.
TEST(BesidePlace, RightElseBelowElseLeftElseAboveElseClearOfTheFieldAndLeastOver) {
    const QSize preferred(782, 505);
    const QSize minimum(482, 325);
    struct Case {
        const char* name;
        QRect room;
        QRect chat;
        QRect place;
    };
    const QRect designed(254, 122, 538, 379);
    const Case cases[] = {
        {"right", QRect(0, 0, 1920, 1080), designed, QRect(800, 122, 782, 505)},
        {"right, narrower", QRect(0, 0, 1400, 1024), designed, QRect(800, 122, 600, 505)},
        {"below", QRect(0, 0, 1280, 1024), designed, QRect(254, 509, 782, 505)},
        {"below, moved onto the screen", QRect(0, 0, 1280, 1024), QRect(1000, 122, 270, 379),
         QRect(498, 509, 782, 505)},
        {"left", QRect(0, 0, 1280, 1024), QRect(700, 0, 538, 1000), QRect(0, 0, 692, 505)},
        {"above", QRect(0, 0, 1280, 1024), QRect(100, 600, 1100, 400), QRect(100, 87, 782, 505)},
        {"clear of the field though it covers more of the chat", QRect(0, 0, 1280, 1024),
         QRect(300, 200, 700, 600), QRect(0, 0, 782, 505)},
        {"a panel along the top", QRect(0, 40, 1280, 984), QRect(254, 10, 538, 379),
         QRect(254, 397, 782, 505)},
    };
    for (const Case& c : cases) {
        // The phrase field: a line near the chat's bottom.
        const QRect field(c.chat.left() + 10, c.chat.bottom() - 40, c.chat.width() - 100, 24);
        EXPECT_EQ(PlaceBeside({c.room, c.chat, field, preferred, minimum}), c.place) << c.name;
    }
}

}  // namespace
}  // namespace tumbo
