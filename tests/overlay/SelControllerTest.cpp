// The overlay controller on two offscreen screens (A: 1920 x 1080 at 1x; B:
// 1280 x 1024 points at 2x, to its right) with a desktop the test drives:
// the session's life, its callers' completions, the actions and what they hand on.
#include "OverlayFakes.h"

#include "app/CaptureHUDController.h"

#include <QTest>

using namespace klipo;
using namespace klipo::test;

namespace {

using SelControllerTest = OverlayTest;

TEST_F(SelControllerTest, aRequestWhileOpen_IsAnsweredAtOnceWithNothing_AndTheOpenSessionStillCopies)
{
    open();
    int answers = 0;
    std::optional<SelPickedRect> answered;
    controller.begin({.mode = SelRequest::Mode::pickRect, .primaryAction = SelAction::pin, .hint = QStringLiteral("选择录屏区域"),
                      .pickRectCompletion = [&](std::optional<SelPickedRect> r) { ++answers, answered = r; }});
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(answered);
    EXPECT_TRUE(desktop.pendingFreezes.empty());  // nothing frozen again
    EXPECT_FALSE(controller.isPickRectMode());
    EXPECT_EQ(controller.primaryAction(), SelAction::copy);
    EXPECT_TRUE(controller.pickHint().isEmpty());

    controller.commitSelection(QRectF(10, 20, 30, 40), view(0));
    ASSERT_EQ(controller.phase(), SelPhase::editing);
    view(0)->performPrimaryAction();
    EXPECT_FALSE(controller.isActive());
    ASSERT_EQ(outputs.copies.size(), 1);
    EXPECT_EQ(outputs.copies[0], FakeOverlayDesktop::pattern({1920, 1080}, 0).copy(10, 20, 30, 40));
    EXPECT_EQ(desktop.activated, QList<platform::NativeWindowId>({77}));  // focus given back
    EXPECT_EQ(answers, 1);
}

TEST_F(SelControllerTest, aFreezeForAnEndedSession_IsDropped_AndEveryCompletionRunsOnce)
{
    int answers = 0;
    controller.begin({.mode = SelRequest::Mode::pickRect,
                      .pickRectCompletion = [&](std::optional<SelPickedRect> r) {
                          ++answers;
                          EXPECT_FALSE(r);
                      }});
    controller.cancel();  // before the screens are frozen
    controller.cancel();
    EXPECT_EQ(answers, 1);

    controller.begin({});  // a new session while the first freeze is still out
    ASSERT_EQ(desktop.pendingFreezes.size(), 2u);
    desktop.answer(FakeOverlayDesktop::stills());  // the first session's, late
    EXPECT_TRUE(controller.windows().isEmpty());
    EXPECT_TRUE(controller.isActive());
    desktop.answer(FakeOverlayDesktop::stills());
    EXPECT_EQ(controller.windows().size(), 2);
    EXPECT_EQ(answers, 1);
}

TEST_F(SelControllerTest, aFailedFreezeARefusedGrabOrAScreenChange_EndTheSession_NeverAStuckScreen)
{
    controller.begin({});
    desktop.answer(platform::FreezeOutcome{{}, QStringLiteral("no X")});
    EXPECT_FALSE(controller.isActive());
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("截图失败"));

    desktop.grab = {false, QStringLiteral("键盘正被其他程序占用，请关闭它的菜单或对话框后重试")};
    controller.begin({});
    desktop.answer(FakeOverlayDesktop::stills());
    EXPECT_FALSE(controller.isActive());
    EXPECT_TRUE(controller.windows().isEmpty());
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("无法开始截图"));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), desktop.grab.message);
    EXPECT_EQ(desktop.activated.size(), 2);  // focus went back both times

    desktop.grab = {true, {}};
    open();
    Q_EMIT qGuiApp->screenRemoved(QGuiApplication::screens().at(1));  // a monitor unplugged
    EXPECT_FALSE(controller.isActive());
    EXPECT_EQ(desktop.releases, 1);  // the keyboard and pointer given back
}

// The window manager's active window decides, not Qt's focus: while our
// windows settle its changes are only noted; later our own windows and none
// keep the session, and another program's window ends it.
TEST_F(SelControllerTest, onlyAnotherProgramTakingTheFocusOnceOurWindowsSettled_EndsTheSession)
{
    desktop.ownWindows = {5};
    open();
    desktop.active = 9;  // handed on while ours were hidden for the freeze
    QTest::qWait(250);
    desktop.active = std::nullopt;
    QTest::qWait(400);
    desktop.active = 5;
    QTest::qWait(250);
    EXPECT_TRUE(controller.isActive());
    desktop.active = 12;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isActive(); }, 1000));
    EXPECT_EQ(desktop.activated, QList<platform::NativeWindowId>({77}));  // the window of before, as for Esc
}

TEST_F(SelControllerTest, pickRect_HandsOverTheScreenAndItsLocalRect_WithoutRestoringFocus_AndIgnoresQuickKeys)
{
    bool pickerRan = false;
    controller.setQuickFunctions({[&] { pickerRan = true; }, {}, {}});
    std::optional<SelPickedRect> picked;
    open({.mode = SelRequest::Mode::pickRect, .pickRectCompletion = [&](std::optional<SelPickedRect> r) { picked = r; }});

    controller.switchToQuickFunction(controller.quickFunctions().colorPicker);
    EXPECT_TRUE(controller.isActive());
    controller.commitSelection(QRectF(100, 50, 3, 200), view(1));  // 3 points wide: ignored
    EXPECT_TRUE(controller.isActive());
    controller.commitSelection(QRectF(100, 50, 200, 100), view(1));
    EXPECT_FALSE(controller.isActive());
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->screen, QGuiApplication::screens().at(1));
    EXPECT_EQ(picked->rectInScreen, QRectF(100, 50, 200, 100));
    EXPECT_EQ(picked->globalRect(), QRectF(2020, 50, 200, 100));
    EXPECT_EQ(picked->rectFromBottomLeft(), QRectF(100, 1024 - 150, 200, 100));
    EXPECT_TRUE(desktop.activated.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_FALSE(pickerRan);
}

TEST_F(SelControllerTest, aCropThatFails_KeepsTheOverlayAndTheSelection_AndSaysSoInside)
{
    platform::FreezeOutcome broken = FakeOverlayDesktop::stills();
    broken.screens[0].imagePx = QImage();  // no pixels behind the first screen
    controller.begin({});
    desktop.answer(broken);
    controller.commitSelection(QRectF(10, 10, 200, 100), view(0));
    for (SelAction action : {SelAction::copy, SelAction::save, SelAction::pin})
        controller.perform(action, view(0)->selection(), view(0));
    EXPECT_TRUE(controller.isActive());
    EXPECT_EQ(view(0)->selection(), QRectF(10, 10, 200, 100));
    EXPECT_TRUE(outputs.copies.isEmpty() && outputs.saves.isEmpty() && outputs.pins.isEmpty());
    EXPECT_EQ(toast(), QStringLiteral("选区裁剪失败，请重试"));
}

TEST_F(SelControllerTest, copiesAreRecordedOnce_AndATranslatedSaveAddsNoSecondRecord)
{
    setSetting("saveHistory", true);
    const auto select = [&] {
        open();
        controller.commitSelection(QRectF(0, 0, 64, 32), view(0));
    };
    select();
    controller.perform(SelAction::copy, view(0)->selection(), view(0));
    EXPECT_EQ(outputs.copies.size(), 1);
    EXPECT_EQ(outputs.records.size(), 1);
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("截图已复制到剪贴板"));
    select();
    controller.perform(SelAction::save, view(0)->selection(), view(0));
    select();
    controller.performTranslated(SelAction::save, FakeOverlayDesktop::pattern({64, 32}, 3), view(0));
    EXPECT_EQ(outputs.saveHistoryFlags, QList<bool>({true, false}));
    select();
    outputs.copySucceeds = false;
    controller.performTranslated(SelAction::copy, FakeOverlayDesktop::pattern({64, 32}, 3), view(0));
    EXPECT_EQ(outputs.records.size(), 1);
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("复制失败"));
}

TEST_F(SelControllerTest, onTheTwoPixelScreen_CropsKeepEveryPixelUnlessAsked_KeysNudgeByOnePixel_AndEscCloses)
{
    open();
    const QRectF selection(100, 50, 100, 50);
    EXPECT_EQ(controller.croppedImage(selection, view(1), true).size(), QSize(200, 100));
    setSetting("captureScaleRetinaTo1x", true);
    EXPECT_EQ(controller.croppedImage(selection, view(1), true).size(), QSize(100, 50));
    EXPECT_EQ(controller.croppedImage(selection, view(1), false).size(), QSize(200, 100));
    EXPECT_EQ(controller.croppedImage(selection, view(0), true).size(), QSize(100, 50));

    controller.commitSelection(QRectF(100, 100, 200, 100), view(1));
    QWindow* window = controller.windows().at(1)->windowHandle();
    QTest::keyClick(window, Qt::Key_Right);
    ASSERT_TRUE(view(1));
    EXPECT_EQ(view(1)->selection().topLeft(), QPointF(100.5, 100));  // one pixel at 2x
    QTest::keyClick(window, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view(1)->selection().topLeft(), QPointF(100.5, 105));
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);  // nothing to undo, still taken
    EXPECT_TRUE(controller.isActive());
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(controller.isActive());
}

}  // namespace
