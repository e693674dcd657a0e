// A rectangle of the desktop across two screens of different density.
#include "platform/RegionGrab.h"

#include <gtest/gtest.h>

#include <QColor>

using namespace klipo::platform;

TEST(RegionGrab, aRectangleAcrossScreensIsTakenFromEach_AtTheDensestScale_WithNothingShownLeftBlack)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QRect region(1900, 1000, 40, 40);  // the bottom 16 points of B's part are below B
    const QList<RegionPart> parts = regionParts(region, screens);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].screen, 0);
    EXPECT_EQ(parts[0].partPt, QRect(1900, 1000, 20, 40));
    EXPECT_EQ(parts[1].partPt, QRect(1920, 1000, 20, 24));
    EXPECT_TRUE(regionParts(QRect(5000, 5000, 10, 10), screens).isEmpty());

    QImage onA(20, 40, QImage::Format_RGB32);  // 1 pixel per point
    onA.fill(QColor(200, 0, 0));
    QImage onB(40, 48, QImage::Format_RGB32);  // 2 pixels per point
    onB.fill(QColor(0, 0, 200));
    const QImage picture = composeRegion(region, 2.0, {{parts[0].partPt, onA}, {parts[1].partPt, onB}});
    ASSERT_EQ(picture.size(), QSize(80, 80));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(200, 0, 0));
    EXPECT_EQ(picture.pixelColor(39, 79), QColor(200, 0, 0));
    EXPECT_EQ(picture.pixelColor(40, 0), QColor(0, 0, 200));
    EXPECT_EQ(picture.pixelColor(79, 47), QColor(0, 0, 200));
    EXPECT_EQ(picture.pixelColor(60, 48), QColor(Qt::black));

    // One screen holding all of it at its own density: the grab as it is.
    const QImage whole = composeRegion(QRect(0, 0, 20, 40), 1.0, {{QRect(0, 0, 20, 40), onA}});
    EXPECT_EQ(whole.cacheKey(), onA.cacheKey());
}
