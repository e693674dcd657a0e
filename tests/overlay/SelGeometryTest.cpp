// The overlay's geometry on its own: handles, the selection's drag, move,
// resize and nudge rules, device pixels at several densities, where the
// chrome and the hint card go, and which desktop windows may be picked.
#include "overlay/SelChromeLayout.h"
#include "overlay/SelHandles.h"
#include "overlay/SelHints.h"
#include "overlay/SelKeys.h"
#include "overlay/SelScreenSpace.h"
#include "overlay/SelSelection.h"
#include "overlay/SelWindowFilter.h"

#include <gtest/gtest.h>

using namespace klipo;

TEST(SelHandlesTest, hitTestTakesTheFirstHandleWithinTenPoints_ResizeKeepsTheOppositeEdgeAndFlips)
{
    const QRectF r(100, 100, 200, 100);
    EXPECT_EQ(SelHandles::hitTest({95, 105}, r), SelHandle::topLeft);
    EXPECT_EQ(SelHandles::hitTest({310, 150}, r), SelHandle::right);
    EXPECT_EQ(SelHandles::hitTest({200, 190}, r), SelHandle::bottom);
    EXPECT_FALSE(SelHandles::hitTest({111, 100}, r));  // 11 points from the corner
    EXPECT_FALSE(SelHandles::hitTest({150, 150}, r));  // inside, away from every handle
    // On a tiny selection every handle is in reach: the order decides.
    const QRectF tiny(100, 100, 8, 8);
    EXPECT_EQ(SelHandles::hitTest({104, 104}, tiny), SelHandle::topLeft);
    EXPECT_EQ(SelHandles::hitTest({112, 96}, tiny), SelHandle::top);

    // Resizing keeps the opposite edge, flips past it, and keeps eight points.
    EXPECT_EQ(SelHandles::resize(SelHandle::right, r, {50, 0}), QRectF(50, 100, 50, 100));
    EXPECT_EQ(SelHandles::resize(SelHandle::topLeft, r, {350, 260}), QRectF(300, 200, 50, 60));
    EXPECT_EQ(SelHandles::resize(SelHandle::left, r, {298, 500}), QRectF(298, 100, 8, 100));
    EXPECT_EQ(SelHandles::resize(SelHandle::bottom, r, {0, 101}), QRectF(100, 100, 200, 8));
}

TEST(SelSelectionTest, threePointsAreAClick_AndEditingCutsClampsFlipsAndNudgesInsideTheBounds)
{
    SelSelection s(QRectF(0, 0, 1920, 1080));
    s.press({100, 100});
    EXPECT_FALSE(s.dragTo({102, 101}));  // |dx| + |dy| = 3: still a click
    EXPECT_FALSE(s.release({102, 101}));
    EXPECT_FALSE(s.dragStart());

    s.press({100, 100});
    EXPECT_TRUE(s.dragTo({105, 103}));  // 8 > 3: a drag, drawn
    EXPECT_EQ(s.draggedRect(), QRectF(100, 100, 5, 3));
    const auto dragged = s.release({95, 90});  // dragged backwards
    ASSERT_TRUE(dragged);
    EXPECT_EQ(*dragged, QRectF(95, 90, 5, 10));
    EXPECT_FALSE(s.isDragging());

    // Editing: cut to the bounds, moves clamped, resizes flipped, nudges kept inside.
    s = SelSelection(QRectF(0, 0, 1000, 800));
    s.enter(QRectF(900, 700, 300, 300));  // past the corner
    EXPECT_EQ(s.rect(), QRectF(900, 700, 100, 100));
    s.enter(QRectF(2000, 2000, 10, 10));  // misses the screen
    EXPECT_EQ(s.rect(), QRectF(0, 0, 8, 8));

    s.enter(QRectF(100, 100, 200, 100));
    s.beginGesture({150, 150}, false);  // inside: move
    ASSERT_EQ(s.gesture(), SelSelection::Gesture::move);
    EXPECT_TRUE(s.gestureTo({-500, 2000}));
    EXPECT_EQ(s.rect(), QRectF(0, 700, 200, 100));  // clamped to the bounds
    s.endGesture();

    s.beginGesture({200, 800}, false);  // the bottom handle
    ASSERT_EQ(s.gesture(), SelSelection::Gesture::resize);
    EXPECT_TRUE(s.gestureTo({200, 650}));  // dragged above the top edge: flipped
    EXPECT_EQ(s.rect(), QRectF(0, 650, 200, 50));
    s.endGesture();

    s.beginGesture({150, 670}, true);  // locked: nothing moves
    EXPECT_EQ(s.gesture(), SelSelection::Gesture::none);
    EXPECT_FALSE(s.gestureTo({400, 400}));

    EXPECT_FALSE(s.nudge(-1, 0));  // already at the left edge
    EXPECT_TRUE(s.nudge(1, 0));
    EXPECT_TRUE(s.nudge(-1, 0));
    EXPECT_TRUE(s.nudge(0, 10));
    EXPECT_EQ(s.rect(), QRectF(0, 660, 200, 50));
    EXPECT_TRUE(s.nudge(0, 500));
    EXPECT_EQ(s.rect().bottom(), 800);
}

// A screen that does not start at the origin (a second monitor): the
// selection stays on it past the top and right edges too.
TEST(SelSelectionTest, movesAndNudgesStopAtTheTopAndRightEdges)
{
    SelSelection s(QRectF(1920, 0, 1280, 1024));
    s.enter(QRectF(2000, 100, 300, 200));
    s.beginGesture({2100, 200}, false);
    EXPECT_TRUE(s.gestureTo({4000, -600}));
    EXPECT_EQ(s.rect(), QRectF(2900, 0, 300, 200));
    s.endGesture();
    EXPECT_FALSE(s.nudge(10, 0));
    EXPECT_FALSE(s.nudge(0, -10));
    EXPECT_TRUE(s.nudge(-10, 500));
    EXPECT_TRUE(s.nudge(400, 0));
    EXPECT_EQ(s.rect(), QRectF(2900, 500, 300, 200));
}

TEST(SelScreenSpaceTest, cropsAreRoundedOutwardsAndCut_AndANudgeIsOneDevicePixel_AtOneOneAndAHalfAndTwo)
{
    // Scale 1: points are pixels.
    const SelScreenSpace one(QRect(0, 0, 1920, 1080), {0, 0}, {1920, 1080});
    EXPECT_EQ(one.cropRectPx(QRectF(10, 20, 100, 50)), QRect(10, 20, 100, 50));
    EXPECT_EQ(one.cropRectPx(QRectF(10.5, 20.2, 100, 50)), QRect(10, 20, 101, 51));
    EXPECT_EQ(one.cropRectPx(QRectF(1900, 1000, 100, 100)), QRect(1900, 1000, 20, 80));
    EXPECT_TRUE(one.cropRectPx(QRectF(2000, 10, 10, 10)).isEmpty());

    // Scale 1.5: 1 point = 1.5 pixels; a point edge in the middle of a pixel takes the whole pixel.
    const SelScreenSpace oneAndAHalf(QRect(1920, 0, 1280, 720), {1920, 0}, {1920, 1080});
    EXPECT_DOUBLE_EQ(oneAndAHalf.scaleX(), 1.5);
    EXPECT_EQ(oneAndAHalf.cropRectPx(QRectF(1, 1, 10, 10)), QRect(1, 1, 16, 16));  // 1.5 .. 16.5
    EXPECT_EQ(oneAndAHalf.cropRectPx(QRectF(2, 2, 10, 10)), QRect(3, 3, 15, 15));  // exactly 3 .. 18
    EXPECT_DOUBLE_EQ(oneAndAHalf.pixelStepX(), 1 / 1.5);
    EXPECT_FALSE(oneAndAHalf.isHighDensity());

    // Scale 2: every point is two pixels; the native corner stays unscaled.
    const SelScreenSpace two(QRect(1920, 0, 1280, 1024), {1920, 0}, {2560, 2048});
    EXPECT_EQ(two.cropRectPx(QRectF(100, 50, 100, 50)), QRect(200, 100, 200, 100));
    EXPECT_EQ(two.cropRectPx(QRectF(1200, 1000, 200, 200)), QRect(2400, 2000, 160, 48));
    EXPECT_EQ(two.localToNativePx({10, 10}), QPointF(1940, 20));
    EXPECT_EQ(two.nativePxToLocal(QRect(2020, 100, 200, 100)), QRectF(50, 50, 100, 50));
    EXPECT_TRUE(two.isHighDensity());

    // One nudge moves the crop by exactly one device pixel at every density.
    for (const double scale : {1.0, 1.5, 2.0}) {
        const QSize px(int(1280 * scale), int(720 * scale));
        const SelScreenSpace space(QRect(0, 0, 1280, 720), {0, 0}, px);
        SelSelection s(QRectF(0, 0, 1280, 720));
        s.enter(QRectF(100, 100, 200, 100));
        const QRect before = space.cropRectPx(s.rect());
        for (int i = 0; i < 7; ++i) s.nudge(space.pixelStepX(), space.pixelStepY());
        const QRect after = space.cropRectPx(s.rect());
        EXPECT_EQ(after.topLeft() - before.topLeft(), QPoint(7, 7)) << "scale " << scale;
        EXPECT_EQ(after.size(), before.size()) << "scale " << scale;
    }
}

TEST(SelChromeLayoutTest, toolbarGoesBelowAboveOrInside_AndNothingLeavesTheScreen)
{
    const QRectF bounds(0, 0, 1920, 1080);
    const QSizeF bar(600, 48), strip(300, 44);

    auto below = SelChromeLayout::place(bounds, QRectF(500, 200, 400, 300), bar, strip);
    EXPECT_EQ(below.side, SelChromeLayout::Side::below);
    EXPECT_EQ(below.toolbar, QRectF(400, 510, 600, 48));
    ASSERT_TRUE(below.strip);
    EXPECT_EQ(below.strip->top(), 510 + 48 + 6);  // under the toolbar

    // Near the bottom: above the selection, the strip above the toolbar.
    auto above = SelChromeLayout::place(bounds, QRectF(500, 900, 400, 150), bar, strip);
    EXPECT_EQ(above.side, SelChromeLayout::Side::above);
    EXPECT_EQ(above.toolbar.bottom(), 900 - 10);
    EXPECT_EQ(above.strip->bottom(), above.toolbar.top() - 6);

    // The whole screen: inside, 10 points above the bottom edge.
    auto inside = SelChromeLayout::place(bounds, bounds, bar, std::nullopt);
    EXPECT_EQ(inside.side, SelChromeLayout::Side::inside);
    EXPECT_EQ(inside.toolbar.bottom(), 1080 - 10);
    EXPECT_FALSE(inside.strip);

    // Near a side the bar keeps 8 points; a bar wider than the screen sticks to the right margin.
    EXPECT_EQ(SelChromeLayout::place(bounds, QRectF(0, 100, 50, 50), bar, std::nullopt).toolbar.left(), 8);
    EXPECT_EQ(SelChromeLayout::place(QRectF(0, 0, 500, 800), QRectF(0, 100, 50, 50), bar, std::nullopt)
                  .toolbar.left(),
              500 - 600 - 8);
    // The size label and the toast stay on the screen too.
    EXPECT_EQ(SelChromeLayout::sizeLabelOrigin(bounds, QRectF(300, 0, 200, 100), QSizeF(80, 16)), QPointF(300, 10));
    EXPECT_EQ(SelChromeLayout::sizeLabelOrigin(bounds, QRectF(1900, 300, 20, 100), QSizeF(80, 16)).x(), 1920 - 80 - 14);
    EXPECT_EQ(SelChromeLayout::toastFrame(bounds, QRectF(0, 0, 40, 40), QSizeF(200, 40)), QRectF(8, 8, 200, 40));
}

TEST(SelHintsTest, cardAvoidsThePointerAndTheSelection_AndOffersNoQuickKeysWhilePicking)
{
    const QRectF bounds(0, 0, 1920, 1080);
    const QSizeF card(220, 140);
    const QPointF farAway(960, 540);
    EXPECT_EQ(SelHints::chooseCorner(bounds, card, farAway, {}), SelHintCorner::bottomLeft);
    // The pointer within 60 points of the bottom-left card.
    EXPECT_EQ(SelHints::chooseCorner(bounds, card, QPointF(300, 900), {}), SelHintCorner::bottomRight);
    // A selection over both bottom corners.
    EXPECT_EQ(SelHints::chooseCorner(bounds, card, farAway, {QRectF(0, 800, 1920, 280)}), SelHintCorner::topLeft);
    // Everything taken.
    EXPECT_EQ(SelHints::chooseCorner(bounds, card, farAway, {bounds}), SelHintCorner::bottomLeft);
    EXPECT_EQ(SelHints::frame(bounds, card, SelHintCorner::topRight), QRectF(1920 - 24 - 220, 24, 220, 140));

    // While picking, the caller's hint comes first and no quick key is offered;
    // a screen that is not being edited shows no card.
    SelHints::Context picking{.pickMode = true, .pickHint = QStringLiteral("选择录屏区域")};
    const auto rows = SelHints::rows(picking);
    EXPECT_EQ(rows.first().text, picking.pickHint);
    for (const auto& row : rows) EXPECT_NE(row.key, std::optional<QString>(QStringLiteral("C")));
    EXPECT_TRUE(SelHints::rows({.phase = SelPhase::editing, .editingHere = false}).isEmpty());
}

TEST(SelWindowFilterTest, keepsOtherProgramsShownWindows_OverFortyPoints_FrontToBack)
{
    const qint64 us = 4242;
    const QList<platform::DesktopWindow> windows{
        {.pid = 1, .frameRectPx = QRect(0, 0, 400, 300)},                       // front: kept
        {.pid = us, .frameRectPx = QRect(10, 10, 400, 300)},                    // ours (a pinned image)
        {.pid = 2, .frameRectPx = QRect(10, 10, 400, 300), .hidden = true},     // minimised
        {.pid = 3, .frameRectPx = QRect(0, 1050, 1920, 30), .normalLayer = false},  // a panel
        {.pid = 1, .frameRectPx = QRect(10, 10, 41, 300)},                      // 41 wide: kept at 1x
        {.pid = 1, .frameRectPx = QRect(10, 10, 40, 300)},                      // 40 wide: too narrow
        {.pid = 5, .frameRectPx = QRect(10, 10, 400, 300), .opacity = 0.01},    // transparent
        {.pid = -1, .frameRectPx = QRect(20, 20, 400, 300), .opacity = 0.5},    // no process, half: kept
        {.pid = 1, .frameRectPx = QRect(2000, 10, 70, 300)}};                   // 35 points at 2x: too narrow
    const auto scale = [](const QPoint& p) { return p.x() >= 1920 ? 2.0 : 1.0; };
    EXPECT_EQ(SelWindowFilter::pickable(windows, us, scale),
              QList<QRect>({QRect(0, 0, 400, 300), QRect(10, 10, 41, 300), QRect(20, 20, 400, 300)}));
}

// Browsers and GTK programs draw their own frame with a wide shadow around
// what shows (_GTK_FRAME_EXTENTS); a click there belongs to the window below.
TEST(SelWindowFilterTest, aWindowIsWhatShowsOfIt_TheManagersFrameIncluded_ItsOwnShadowLeftOut)
{
    const QRect area(100, 100, 1300, 800);
    const struct {
        const char* what;
        QMargins managerFrame, ownMargin;
        QRect shown;
    } cases[] = {
        {"neither", {}, {}, area},
        {"a title bar", {0, 37, 0, 0}, {}, QRect(100, 63, 1300, 837)},
        {"a shadow of its own", {}, {16, 10, 16, 32}, QRect(116, 110, 1268, 758)},
        {"framed by the manager all the same: the frame is its edge", {1, 20, 1, 1}, {16, 10, 16, 32},
         QRect(99, 80, 1302, 821)},
        {"a margin wider than the window: nothing shows", {}, {700, 0, 700, 0}, QRect()},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::shownFramePx(area, c.managerFrame, c.ownMargin), c.shown) << c.what;
}

TEST(SelKeysTest, ctrlShortcutsAndArrowsActOnlyWhileEditing_AnOpenTextFieldGetsItsKeys_QuickLettersNeedNoCtrl)
{
    using SelKeys::Command, SelKeys::monitor, SelKeys::viewKey;
    const SelKeys::Context editing{true, SelPhase::editing, false}, typing{true, SelPhase::editing, true};
    EXPECT_EQ(monitor(editing, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier).command, Command::redo);
    EXPECT_EQ(monitor(editing, Qt::Key_Left, Qt::ShiftModifier).step, QPoint(-10, 0));
    EXPECT_EQ(monitor(editing, Qt::Key_Enter, Qt::KeypadModifier).command, Command::primaryAction);
    EXPECT_EQ(monitor(editing, Qt::Key_V, Qt::ControlModifier).command, Command::passOn);
    EXPECT_EQ(monitor(typing, Qt::Key_Left, {}).command, Command::passOn);
    EXPECT_EQ(monitor(typing, Qt::Key_Escape, {}).command, Command::escape);
    EXPECT_EQ(monitor({true, SelPhase::selecting, false}, Qt::Key_Left, {}).command, Command::passOn);
    EXPECT_EQ(monitor(SelKeys::Context{}, Qt::Key_Escape, {}).command, Command::passOn);
    EXPECT_EQ(viewKey(SelPhase::selecting, Qt::Key_C, Qt::ShiftModifier).command, Command::colorPicker);
    EXPECT_EQ(viewKey(SelPhase::selecting, Qt::Key_C, Qt::ControlModifier).command, Command::passOn);
    EXPECT_EQ(viewKey(SelPhase::selecting, Qt::Key_Return, {}).command, Command::commitHighlightedWindow);
    EXPECT_EQ(viewKey(SelPhase::editing, Qt::Key_F, {}).command, Command::passOn);
}
