// Pinned images: kept in the list until closed, zoomed by the wheel.
#include "tools/PinWindow.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>

using klipo::PinWindowController;

namespace {
QImage picture(int width, int height, qreal dpr = 1)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.setDevicePixelRatio(dpr);
    return image;
}
}  // namespace

TEST(PinWindow, keepsEachPinInTheListUntilItIsDoubleClickedOrAllAreClosed)
{
    EXPECT_EQ(PinWindowController::pin(picture(0, 10)), nullptr);
    PinWindowController* first = PinWindowController::pin(picture(400, 200, 2));
    PinWindowController* second = PinWindowController::pin(picture(50, 50));
    ASSERT_EQ(PinWindowController::pinned(), (QList<PinWindowController*>{first, second}));
    EXPECT_EQ(first->window()->size(), QSize(200, 100));  // points, not pixels

    QTest::mouseDClick(first->window(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(PinWindowController::pinned(), (QList<PinWindowController*>{second}));
    PinWindowController::closeAll();
    EXPECT_TRUE(PinWindowController::pinned().isEmpty());
}

TEST(PinWindow, zoomsWithTheWheelAboutThePointer)
{
    klipo::PinImageView* view = PinWindowController::pin(picture(200, 100))->window();
    view->move(100, 100);
    const QPoint anchor(100, 50);
    QWheelEvent up(anchor, view->mapToGlobal(anchor), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                   false);
    QApplication::sendEvent(view, &up);
    EXPECT_EQ(view->size(), QSize(220, 110));
    EXPECT_EQ(view->pos(), QPoint(90, 95));  // the point under the pointer stays put
    PinWindowController::closeAll();
}
