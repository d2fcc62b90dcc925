#include <gtest/gtest.h>

#include "app/window_place.h"

namespace {

// The splash is 536 x 340 without a frame; the bordered window with the menu and a typical
// frame is 538 x 379.
const QSize kSplash(536, 340);
const QSize kBordered(538, 379);

TEST(WindowPlace, TheDesignedPlaceWhereverTheWholeFrameFits) {
    EXPECT_EQ(FittedPlace(QRect(0, 0, 1280, 1024), kBordered, kDesignedPlace), QPoint(254, 122));
    EXPECT_EQ(FittedPlace(QRect(0, 0, 800, 600), kSplash, kDesignedPlace), QPoint(254, 122))
        << "the frame ends exactly at 790, 462";
    EXPECT_EQ(FittedPlace(QRect(0, 0, 790, 462), kSplash, kDesignedPlace), QPoint(254, 122));
}

TEST(WindowPlace, ASmallScreenMovesTheFrameTheLeastDistance) {
    EXPECT_EQ(FittedPlace(QRect(0, 0, 640, 480), kBordered, kDesignedPlace), QPoint(102, 101));
    EXPECT_EQ(FittedPlace(QRect(0, 0, 1024, 480), kBordered, kDesignedPlace), QPoint(254, 101))
        << "only the side that sticks out moves";
    // A panel along the top leaves an available area that starts lower down.
    EXPECT_EQ(FittedPlace(QRect(0, 150, 1280, 874), kBordered, kDesignedPlace), QPoint(254, 150));
}

TEST(WindowPlace, AtScaleTwoA1280By800ScreenHoldsBothWindows) {
    // Qt works in logical pixels: the screen is 640 x 400 of them.
    const QRect screen(0, 0, 640, 400);
    EXPECT_EQ(FittedPlace(screen, kSplash, kDesignedPlace), QPoint(104, 60));
    const QSize borderedAtTwo(537, 369);  // the frame's 1 and 20 device pixels halved
    const QPoint place = FittedPlace(screen, borderedAtTwo, kDesignedPlace);
    EXPECT_EQ(place, QPoint(103, 31));
    EXPECT_TRUE(screen.contains(QRect(place, borderedAtTwo)));
}

TEST(WindowPlace, AFrameLargerThanTheScreenKeepsItsTitleBarOnIt) {
    EXPECT_EQ(FittedPlace(QRect(0, 0, 500, 300), kBordered, kDesignedPlace), QPoint(0, 0));
    EXPECT_EQ(FittedPlace(QRect(1280, 0, 500, 300), kBordered, kDesignedPlace), QPoint(1280, 0))
        << "a second screen to the right";
}

}  // namespace
