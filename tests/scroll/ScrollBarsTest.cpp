// Runs on two fake screens: A 1920x1080 at (0,0), B 1280x1024 at (1920,0).
#include "app/Appearance.h"
#include "app/HUDBarButton.h"
#include "platform/PanelPlacement.h"
#include "platform/ScreenChangeWatcher.h"
#include "scroll/ScrollControlBarPanel.h"
#include "scroll/ScrollMenuProvider.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace klipo;
using platform::PanelSide;

namespace {

// A bar's content drawn off the screen at twice its size, as the interface
// snapshots draw it, under the given appearance.
QImage renderAt2x(QWidget* panel, QWidget* content, const QPalette& palette)
{
    panel->setPalette(palette);
    QImage image(content->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    content->render(&image);
    return image;
}

// Pixels of `area` (in points) that satisfy `test`.
int countPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test)
{
    int count = 0;
    const QRect px(area.topLeft() * 2, area.size() * 2);
    for (int y = px.top(); y <= px.bottom(); ++y)
        for (int x = px.left(); x <= px.right(); ++x)
            if (image.rect().contains(x, y) && test(image.pixelColor(x, y))) ++count;
    return count;
}

bool isLight(QColor c) { return c.alpha() > 200 && c.lightness() > 170; }

TEST(PanelPlacementTest, belowAboveBesideInsideOrNoRoom_KeptOnTheScreen)
{
    const QRect a(0, 0, 1920, 1080);
    const double fits = 1080 - 8 - 42 - 10 - 200;  // exactly 8 left under the bar
    struct Case {
        QRectF rect;
        QRect screen;
        bool insideAllowed;
        PanelSide side;
        QPoint topLeft;
    };
    for (const Case& c : {
             Case{{500, 200, 400, 300}, a, true, PanelSide::below, {550, 510}},
             Case{{500, 200, 400, fits}, a, true, PanelSide::below, {550, 1080 - 8 - 42}},
             Case{{500, 200, 400, fits + 1}, a, true, PanelSide::above, {550, 200 - 10 - 42}},
             Case{{0, 0, 1920, 1080}, a, true, PanelSide::inside, {810, 1080 - 10 - 42}},
             // A window as tall as the screen: beside it, right or left, level with its bottom.
             Case{{500, 0, 400, 1080}, a, false, PanelSide::beside, {910, 1080 - 8 - 42}},
             Case{{1600, 0, 320, 1040}, a, true, PanelSide::beside, {1600 - 10 - 300, 1040 - 42}},
             Case{{0, 100, 200, 100}, a, true, PanelSide::below, {8, 210}},                  // left edge
             Case{{1800, 100, 120, 100}, a, true, PanelSide::below, {1920 - 300 - 8, 210}},  // right edge
             Case{{0, 0, 100, 50}, {0, 0, 200, 400}, true, PanelSide::below, {200 - 300 - 8, 60}},
             Case{{400.5, 10, 199.5, 10.5}, a, true, PanelSide::below, {350, 31}},  // halves away from zero
         }) {
        const auto p = platform::placePanel(QSize(300, 42), c.rect, c.screen, c.insideAllowed);
        EXPECT_EQ(p.side, c.side) << c.rect.y() << "+" << c.rect.height();
        EXPECT_EQ(p.topLeft, c.topLeft) << c.rect.x() << "," << c.rect.y();
    }
    EXPECT_EQ(platform::placePanel(QSize(300, 42), QRectF(0, 0, 1920, 1080), a, true).coveredBottom, 52);
    EXPECT_EQ(platform::placePanel(QSize(300, 42), QRectF(0, 40, 1920, 1000), a, false).side, PanelSide::noRoom);

    // On the second screen its own edges count: B is 1024 high.
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    ScrollControlBarPanel panel(true);
    EXPECT_EQ(panel.place(QRectF(1920, 100, 100, 200), screens[1]).side, PanelSide::below);
    EXPECT_EQ(panel.pos(), QPoint(1928, 310));
    EXPECT_EQ(panel.place(QRectF(2200, 300, 400, 700), screens[1]).side, PanelSide::above);
    EXPECT_EQ(panel.pos(), QPoint(qRound(2400 - panel.width() / 2.0), 300 - 10 - panel.height()));
}

TEST(ScreenChangeWatcherTest, aBurstOfChangesIsOneSignal_TheFreeAreaIsNoChange)
{
    platform::ScreenChangeWatcher watcher(nullptr, 50);
    QSignalSpy changed(&watcher, &platform::ScreenChangeWatcher::changed);
    QScreen* second = QGuiApplication::screens().at(1);
    Q_EMIT second->availableGeometryChanged(QRect(1920, 0, 1280, 1000));  // a task bar showed
    QTest::qWait(120);
    EXPECT_EQ(changed.count(), 0);

    Q_EMIT second->geometryChanged(QRect(1920, 0, 1600, 1024));
    Q_EMIT second->logicalDotsPerInchChanged(144);
    Q_EMIT QGuiApplication::primaryScreen()->geometryChanged(QRect(0, 0, 1920, 1080));
    EXPECT_TRUE(changed.wait(1000));
    QTest::qWait(120);
    EXPECT_EQ(changed.count(), 1);
}

TEST(ScrollControlBarTest, countGrowsToTheRight_ButtonsCallTheirOwnCallback_ReadableInDarkAndLight)
{
    ScrollControlBarPanel panel(true);
    panel.move(400, 700);
    const QPoint bottomLeft(panel.x(), panel.y() + panel.height());
    const int width = panel.width();
    panel.updateCount(12345);
    panel.setAutoScrolling(true);
    EXPECT_TRUE(panel.countLabel()->text().contains(QStringLiteral("12345")));
    EXPECT_GT(panel.width(), width);
    EXPECT_EQ(QPoint(panel.x(), panel.y() + panel.height()), bottomLeft);
    for (QWidget* piece : std::initializer_list<QWidget*>{panel.countLabel(), panel.autoButton(), panel.finishButton(),
                                                          panel.cancelButton()})
        EXPECT_GE(piece->width(), piece->sizeHint().width());
    EXPECT_EQ(ScrollControlBarPanel(false).autoButton(), nullptr);

    QStringList calls;
    QTest::mouseClick(panel.finishButton(), Qt::LeftButton);  // unset: nothing
    panel.onToggleAuto = [&] { calls << "auto"; };
    panel.onCancel = [&] { calls << "cancel"; };
    panel.onFinish = [&] { calls << "finish"; };
    for (QWidget* button : {panel.autoButton(), panel.cancelButton(), panel.finishButton()})
        QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(calls, QStringList({"auto", "cancel", "finish"}));

    for (const QPalette& palette : {darkAppearancePalette(), lightAppearancePalette()}) {
        const QImage image = renderAt2x(&panel, panel.contentView(), palette);
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);  // rounded corner
        const QColor middle = image.pixelColor(6, image.height() / 2);
        EXPECT_GT(middle.alpha(), 200);
        EXPECT_LT(middle.lightness(), 60);
        EXPECT_GT(countPixels(image, panel.countLabel()->geometry(), isLight), 100);
        EXPECT_GT(countPixels(image, panel.finishButton()->geometry(),
                                    [](QColor c) { return c.green() > 150 && c.red() < 120; }),
                  20);
    }
}

TEST(ScrollMenuProviderTest, itemIsOffWhileStitching_AndRunsTheToggle)
{
    using S = ScrollCaptureService::ScrollState;
    auto& provider = ScrollMenuProvider::shared();
    QAction item;
    for (S state : {S::idle, S::picking, S::capturing, S::stitching}) {
        ScrollCaptureService::shared().state = state;
        EXPECT_EQ(provider.validateMenuItem(&item) && item.isEnabled(), state != S::stitching);
        EXPECT_EQ(item.text().startsWith(QStringLiteral("取消")), state == S::capturing);
    }
    ScrollCaptureService::shared().state = S::idle;
    int toggles = 0;
    provider.onToggle = [&] { ++toggles; };
    provider.toggleAction();
    EXPECT_EQ(toggles, 1);
    provider.onToggle = nullptr;
    provider.toggleAction();  // unset: nothing
}

}  // namespace
