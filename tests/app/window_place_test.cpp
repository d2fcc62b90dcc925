#include <gtest/gtest.h>

#include "app/window_place.h"

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

}  // namespace
}  // namespace tumbo
