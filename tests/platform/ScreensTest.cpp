// Screens on Qt's offscreen platform: A (1920x1080 at 1x) and B (1280x1024
// points at 2x) to its right. Which screen the pointer is on, a rectangle of
// the desktop taken from both, and the region picker over them.
#include "platform/DockAreas.h"
#include "platform/QtScreenMetrics.h"
#include "platform/WindowPlacement.h"
#include "platform/RegionGrab.h"
#include "platform/RegionPicker.h"
#include "platform/RegionPickerWindow.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/HotKeyService.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QScreen>
#include <QTest>

#include <optional>

using namespace klipo::platform;

namespace {

// A picture where every pixel tells where it is.
QImage positionPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    return image;
}

struct PickerRun {
    RegionPicker* picker = nullptr;
    std::optional<CaptureOutcome> outcome;
};

std::unique_ptr<PickerRun> startPicker(std::chrono::milliseconds limit = interactiveCaptureLimit)
{
    auto run = std::make_unique<PickerRun>();
    QList<FrozenScreen> frozen;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i) {
        const QSize pixels = screens[i]->geometry().size() * screens[i]->devicePixelRatio();
        frozen.append({screens[i], i + 1, positionPicture(pixels)});
    }
    run->picker = new RegionPicker(frozen);
    run->picker->setTimeLimit(limit);
    run->picker->start([raw = run.get()](CaptureOutcome o) { raw->outcome = std::move(o); });
    return run;
}

}  // namespace

TEST(QtScreenMetrics, pointerOnAScreenGivesThatScreenWithItsIndexAndRatio_OutsideEveryScreenThePrimaryOne)
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
    QCursor::setPos(2500, 1050);  // below B, right of A
    EXPECT_EQ(metrics.screenUnderPointer().value_or(ScreenInfo{}).name, metrics.primaryScreen()->name);
    EXPECT_EQ(metrics.displayIndexUnderPointer(), 1);
}

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

TEST(RegionPicker, selectionToPixels_CoversEveryTouchedPixel_InsideThePicture)
{
    EXPECT_EQ(selectionToPixels(QRectF(10, 10, 100, 50), 2.0, QSize(2560, 2048)), QRect(20, 20, 200, 100));
    EXPECT_EQ(selectionToPixels(QRectF(10.5, 3, 10, 10), 1.5, QSize(100, 100)), QRect(15, 4, 16, 16));
    EXPECT_EQ(selectionToPixels(QRectF(1270, 1000, 50, 50), 2.0, QSize(2560, 2048)),
              QRect(2540, 2000, 20, 48));
    EXPECT_EQ(selectionToPixels(QRectF(5, 5, 0, 30), 1.0, QSize(100, 100)), QRect(5, 5, 1, 30));
}

TEST(RegionPicker, dragOnTheSecondScreen_GivesItsFrozenPixelsAtTwiceTheSize_AClickTheWholeScreen)
{
    auto run = startPicker();
    const QList<RegionPickerWindow*> windows = run->picker->windows();
    ASSERT_EQ(windows.size(), 2);
    RegionPickerWindow* b = windows[1];
    EXPECT_EQ(b->geometry(), QRect(1920, 0, 1280, 1024));

    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(b, QPoint(60, 40));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(110, 60));
    ASSERT_TRUE(QTest::qWaitFor([&] { return run->outcome.has_value(); }));

    ASSERT_TRUE(run->outcome->ok());
    EXPECT_DOUBLE_EQ(run->outcome->scale, 2.0);
    ASSERT_TRUE(run->outcome->screen.has_value());
    EXPECT_EQ(run->outcome->screen->index, 2);
    const QImage& image = run->outcome->image;
    EXPECT_EQ(image.size(), QSize(200, 100));
    EXPECT_DOUBLE_EQ(image.devicePixelRatio(), 1.0);
    EXPECT_EQ(image.pixel(0, 0), qRgb(20, 20, 0));
    EXPECT_EQ(image.pixel(199, 99), qRgb(219, 119, 0));

    // A click without a drag picks the whole screen under it.
    auto click = startPicker();
    QTest::mouseClick(click->picker->windows().at(0), Qt::LeftButton, {}, QPoint(300, 300));
    ASSERT_TRUE(QTest::qWaitFor([&] { return click->outcome.has_value(); }));
    ASSERT_TRUE(click->outcome->ok());
    EXPECT_EQ(click->outcome->image.size(), QSize(1920, 1080));
    EXPECT_DOUBLE_EQ(click->outcome->scale, 1.0);
}

TEST(RegionPicker, escapeOrRightClick_Cancels_AndTheWindowsGoAway)
{
    for (const bool escape : {true, false}) {
        auto run = startPicker();
        QPointer<RegionPickerWindow> window = run->picker->windows().at(1);
        QPointer<RegionPicker> picker = run->picker;
        if (escape)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            QTest::mouseClick(window, Qt::RightButton, {}, QPoint(50, 50));
        ASSERT_TRUE(QTest::qWaitFor([&] { return run->outcome.has_value(); }));
        EXPECT_EQ(run->outcome->status, CaptureOutcome::Status::Cancelled);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return picker.isNull(); }));
    }
}

TEST(RegionPicker, suspendsOurHotKeysWhileOpen_AndEndsByItselfPastItsTimeLimit)
{
    UnavailableHotKeyService hotKeys;
    const ScopedHotKeyPlatform scope(&hotKeys, nullptr);
    auto run = startPicker(std::chrono::milliseconds(200));
    EXPECT_TRUE(hotKeys.isSuspended());
    ASSERT_TRUE(QTest::qWaitFor([&] { return run->outcome.has_value(); }, 5000));
    EXPECT_EQ(run->outcome->status, CaptureOutcome::Status::Failed);
    EXPECT_FALSE(run->outcome->error.isEmpty());
    EXPECT_FALSE(hotKeys.isSuspended());

    // A suspension that was there before (a recorder recording) outlives the pick.
    hotKeys.setSuspended(true);
    auto cancelled = startPicker();
    QTest::keyClick(cancelled->picker->windows().at(0), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelled->outcome.has_value(); }));
    EXPECT_TRUE(hotKeys.isSuspended());
    hotKeys.setSuspended(false);
}

TEST(RegionPicker, quittingDuringAPick_CancelsIt)
{
    auto run = startPicker();
    QPointer<RegionPicker> picker = run->picker;
    QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();  // returns once quit, after announcing it
    ASSERT_TRUE(run->outcome.has_value());
    EXPECT_EQ(run->outcome->status, CaptureOutcome::Status::Cancelled);
    EXPECT_TRUE(QTest::qWaitFor([&] { return picker.isNull(); }));
}

// Docks that reserve no room are kept clear of: a tray at the bottom right,
// a bar along the top, a dock on the left; a second screen's dock, and a
// "dock" in the middle of the screen, change nothing.
TEST(DockAreas, theAreaStopsShortOfDocksAlongItsEdges_AndOnlyThose)
{
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(klipo::platform::clearOfDocks(screen, screen, {QRect(1896, 1056, 24, 24)}), QRect(0, 0, 1920, 1056));
    EXPECT_EQ(klipo::platform::clearOfDocks(screen, screen, {QRect(0, 0, 1920, 30), QRect(0, 100, 48, 800)}),
              QRect(48, 30, 1872, 1050));
    const QRect reserved(0, 0, 1920, 1040);  // a panel that reserves its 40 points is already out
    EXPECT_EQ(klipo::platform::clearOfDocks(screen, reserved, {QRect(0, 1040, 1920, 40)}), reserved);
    EXPECT_EQ(klipo::platform::clearOfDocks(screen, screen, {QRect(1920, 1000, 100, 80), QRect(800, 500, 300, 60)}), screen);
}

// A window manager may place a window by its own rule on its first showing
// (openbox now and then puts it at the screen's top-left corner): the window
// goes back to where it was asked for, once, and inside the area.
TEST(WindowPlacement, aWindowTheWindowManagerPutElsewhereOnItsFirstShowing_GoesWhereItWasAskedFor)
{
    QWidget window(nullptr, Qt::Window);
    window.resize(300, 200);
    const QRect area(0, 0, 1920, 1080);
    klipo::platform::moveInside(&window, QPoint(900, 500), area);
    window.show();
    window.move(0, 0);  // what the window manager did
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry().topLeft() == QPoint(900, 500); }, 3000))
        << window.frameGeometry().x() << "," << window.frameGeometry().y();

    klipo::platform::moveInside(&window, QPoint(1800, 1000), area);  // asked partly off the area: kept inside
    window.move(0, 0);
    const QPoint corner(1920 - window.frameGeometry().width(), 1080 - window.frameGeometry().height());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry().topLeft() == corner; }, 3000))
        << window.frameGeometry().x() << "," << window.frameGeometry().y();
}
