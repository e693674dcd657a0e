// Runs on two offscreen screens: A (1920x1080 at 1x) and B (1280x1024 points at 2x) to its right.
#include "platform/QtScreenMetrics.h"

#include <gtest/gtest.h>

#include <QCursor>

using klipo::platform::QtScreenMetrics;

TEST(QtScreenMetrics, pointerOnTheSecondScreen_GivesThatScreenWithIndexTwoAndItsRatio)
{
    QtScreenMetrics metrics;
    QCursor::setPos(2000, 100);
    ASSERT_EQ(metrics.pointerPosition(), QPoint(2000, 100));
    const auto screen = metrics.screenUnderPointer();
    ASSERT_TRUE(screen.has_value());
    EXPECT_EQ(screen->name, "B");
    EXPECT_EQ(screen->index, 2);
    EXPECT_EQ(screen->geometry, QRect(1920, 0, 1280, 1024));
    EXPECT_EQ(screen->pixelSize(), QSize(2560, 2048));
    EXPECT_EQ(metrics.displayIndexUnderPointer(), 2);

    QCursor::setPos(10, 10);
    EXPECT_EQ(metrics.displayIndexUnderPointer(), 1);
}

TEST(QtScreenMetrics, pointerOutsideEveryScreen_FallsBackToThePrimaryScreen)
{
    QtScreenMetrics metrics;
    QCursor::setPos(2500, 1050);  // below B, right of A
    const auto screen = metrics.screenUnderPointer();
    ASSERT_TRUE(screen.has_value());
    EXPECT_EQ(screen->name, metrics.primaryScreen()->name);
    EXPECT_EQ(metrics.displayIndexUnderPointer(), 1);
}
