// Runs on two fake screens: A 1920x1080 at (0,0), B 1280x1024 at (1920,0).
#include "BarPictures.h"
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
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace klipo;
using platform::PanelSide;
using platform::placePanel;

namespace {

const QSize bar(300, 42);
const QRect screenA(0, 0, 1920, 1080);

TEST(PanelPlacementTest, belowAboveInsideOrNoRoom_ByWhatFitsOnTheScreen)
{
    auto p = placePanel(bar, QRectF(500, 200, 400, 300), screenA, true);
    EXPECT_EQ(p.side, PanelSide::below);
    EXPECT_EQ(p.topLeft, QPoint(550, 510));
    // Exactly 8 left under the bar still fits; one point less does not.
    const double fits = 1080 - 8 - 42 - 10 - 200;
    EXPECT_EQ(placePanel(bar, QRectF(500, 200, 400, fits), screenA, true).side, PanelSide::below);
    p = placePanel(bar, QRectF(500, 200, 400, fits + 1), screenA, true);
    EXPECT_EQ(p.side, PanelSide::above);
    EXPECT_EQ(p.topLeft.y(), 200 - 10 - 42);

    p = placePanel(bar, QRectF(0, 0, 1920, 1080), screenA, true);
    EXPECT_EQ(p.side, PanelSide::inside);
    EXPECT_EQ(p.topLeft, QPoint(810, 1080 - 10 - 42));
    EXPECT_EQ(p.coveredBottom, 52);
    EXPECT_EQ(placePanel(bar, QRectF(0, 40, 1920, 1000), screenA, false).side, PanelSide::noRoom);
}

TEST(PanelPlacementTest, edgesClampTheBar_AndHalvesRoundAwayFromZero)
{
    EXPECT_EQ(placePanel(bar, QRectF(0, 100, 200, 100), screenA, true).topLeft.x(), 8);
    EXPECT_EQ(placePanel(bar, QRectF(1800, 100, 120, 100), screenA, true).topLeft.x(), 1920 - 300 - 8);
    // A screen narrower than the bar: the right-hand clamp wins.
    EXPECT_EQ(placePanel(bar, QRectF(0, 0, 100, 50), QRect(0, 0, 200, 400), true).topLeft.x(), 200 - 300 - 8);
    EXPECT_EQ(placePanel(bar, QRectF(400.5, 10, 199.5, 10.5), screenA, true).topLeft, QPoint(350, 31));
    EXPECT_EQ(placePanel(QSize(10, 10), QRectF(-300.5, -300, 100, 100.5), QRect(-500, -600, 400, 800), true).topLeft,
              QPoint(-256, -190));
}

TEST(PanelPlacementTest, onTheSecondScreen_ItsOwnEdgesCount)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    ScrollControlBarPanel panel(true);
    EXPECT_EQ(panel.place(QRectF(1920, 100, 100, 200), screens[1]).side, PanelSide::below);
    EXPECT_EQ(panel.pos(), QPoint(1928, 310));
    // B is 1024 high: a rectangle reaching 1000 puts the bar above it.
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

TEST(ScrollControlBarTest, textsAsBuilt_CountGrowsToTheRight_NothingSqueezed)
{
    ScrollControlBarPanel panel(true);
    EXPECT_EQ(panel.countLabel()->text(), QStringLiteral("已采集 0 帧 · 你滚动，我拼接"));
    EXPECT_EQ(panel.autoButton()->text(), QStringLiteral("▶ 自动滚动"));
    EXPECT_EQ(panel.finishButton()->text(), QStringLiteral("✓ 完成"));
    EXPECT_EQ(panel.cancelButton()->text(), QStringLiteral("✕ 取消"));
    EXPECT_EQ(panel.size(), panel.contentView()->size());

    panel.move(400, 700);
    const QPoint bottomLeft(panel.x(), panel.y() + panel.height());
    const int width = panel.width();
    panel.updateCount(12345);
    EXPECT_EQ(panel.countLabel()->text(), QStringLiteral("已采集 12345 帧 · 你滚动，我拼接"));
    EXPECT_GT(panel.width(), width);
    EXPECT_EQ(QPoint(panel.x(), panel.y() + panel.height()), bottomLeft);
    panel.setAutoScrolling(true);
    EXPECT_EQ(panel.autoButton()->text(), QStringLiteral("⏸ 停止代滚"));
    for (QWidget* piece : std::initializer_list<QWidget*>{panel.countLabel(), panel.autoButton(), panel.finishButton(),
                                                          panel.cancelButton()})
        EXPECT_GE(piece->width(), piece->sizeHint().width());
    panel.setAutoScrolling(false);
    EXPECT_EQ(panel.autoButton()->text(), QStringLiteral("▶ 自动滚动"));

    EXPECT_EQ(ScrollControlBarPanel(false).autoButton(), nullptr);
}

TEST(ScrollControlBarTest, eachButtonCallsItsOwnCallback)
{
    ScrollControlBarPanel panel(true);
    QStringList calls;
    QTest::mouseClick(panel.finishButton(), Qt::LeftButton);  // unset: nothing
    panel.onToggleAuto = [&] { calls << "auto"; };
    panel.onCancel = [&] { calls << "cancel"; };
    panel.onFinish = [&] { calls << "finish"; };
    for (QWidget* button : {panel.autoButton(), panel.cancelButton(), panel.finishButton()})
        QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(calls, QStringList({"auto", "cancel", "finish"}));
}

TEST(ScrollControlBarTest, drawnAt2x_InDarkAndLight_DarkWithReadableTexts)
{
    ScrollControlBarPanel panel(true);
    panel.updateCount(12);
    for (const QPalette& palette : {darkAppearancePalette(), lightAppearancePalette()}) {
        const QImage image = test::renderAt2x(&panel, panel.contentView(), palette);
        ASSERT_EQ(image.size(), panel.size() * 2);
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);  // rounded corner
        const QColor middle = image.pixelColor(6, image.height() / 2);
        EXPECT_GT(middle.alpha(), 200);
        EXPECT_LT(middle.lightness(), 60);
        EXPECT_GT(test::countPixels(image, panel.countLabel()->geometry(), test::isLight), 100);
        EXPECT_GT(test::countPixels(image, panel.finishButton()->geometry(),
                                    [](QColor c) { return c.green() > 150 && c.red() < 120; }),
                  20);
    }
}

TEST(ScrollMenuProviderTest, titleFollowsTheServiceState_AndTheItemRunsTheToggle)
{
    using S = ScrollCaptureService::ScrollState;
    auto& provider = ScrollMenuProvider::shared();
    QAction item(QStringLiteral("滚动长截图"));
    const std::pair<S, QString> looks[] = {{S::picking, QStringLiteral("滚动长截图")},
                                           {S::capturing, QStringLiteral("取消滚动长截图")},
                                           {S::stitching, QStringLiteral("正在拼接长截图…")}};
    for (const auto& [state, title] : looks) {
        ScrollCaptureService::shared().state = state;
        EXPECT_EQ(provider.validateMenuItem(&item) && item.isEnabled(), state != S::stitching);
        EXPECT_EQ(item.text(), title);
    }
    ScrollCaptureService::shared().state = S::idle;

    int toggles = 0;
    provider.onToggle = [&] { ++toggles; };
    provider.toggleAction();
    provider.onToggle = nullptr;
    provider.toggleAction();
    EXPECT_EQ(toggles, 1);
}

}  // namespace
