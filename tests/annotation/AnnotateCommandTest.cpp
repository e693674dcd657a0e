// The annotate command offscreen, on fake screen access, screenshots, overlay
// and recognition: the overlay road, the window road with its guards against
// a second run, failures told, and what reaches the result panel.
#include "WindowDriver.h"
#include "annotation/command/AnnoCaptureOverlay.h"
#include "annotation/command/AnnoMenuProvider.h"
#include "annotation/window/AnnoBottomBar.h"
#include "annotation/window/AnnoToolBar.h"
#include "app/AppFakes.h"
#include "platform/PlatformServices.h"
#include "platform/text/TextServices.h"
#include "recognition/ResultFakes.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "tools/ToolsFakes.h"

#include <QAction>
#include <QPushButton>
#include <QToolButton>

namespace klipo {
namespace {

struct FakeOverlay : AnnoCaptureOverlay {
    bool active = false;
    int begins = 0;
    int closes = 0;
    bool isActive() const override { return active; }
    void beginCopy() override
    {
        ++begins;
        active = true;
    }
    void close() override
    {
        ++closes;
        active = false;
    }
};

class AnnotateCommand : public test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        m_screens.list = {test::screen("A", 1, QRect(0, 0, 1920, 1080), 1)};
        m_shots.reply = [this](const platform::CaptureOptions&) { return m_next; };
        AnnoMenuProvider::setPermissionAlert([this] { ++m_alerts; });
        AnnoMenuProvider::setOverlay(m_overlay);
        set("selCaptureOverlayEnabled", false);
        if (QWidget* panel = ResultPanelController::shared().panel()) panel->hide();
    }
    void TearDown() override
    {
        AnnoMenuProvider::setOverlay(nullptr);
        AnnoMenuProvider::setPermissionAlert(nullptr);
        WindowTest::TearDown();
    }

    // Presses the command and lets the pick's answer come back.
    void press()
    {
        AnnoMenuProvider::startCaptureAndAnnotate();
        if (!m_shots.holdReplies) {
            ASSERT_TRUE(QTest::qWaitFor([] { return !AnnoMenuProvider::isPicking(); }, 5000));
        }
    }
    static bool panelShown()
    {
        const QWidget* panel = ResultPanelController::shared().panel();
        return panel && panel->isVisible();
    }

    platform::CaptureOutcome m_next = platform::CaptureOutcome::success(test::whiteImage(300, 200), 1.0);
    std::shared_ptr<FakeOverlay> m_overlay = std::make_shared<FakeOverlay>();
    int m_alerts = 0;
    test::FakePermission m_permission;
    test::FakeScreenMetrics m_screens;
    test::FakeScreenshotTool m_shots;
    test::FakeRecognizer m_recognizer;
    test::FakeTranslator m_translator;
    platform::ScopedTextServices m_engines{{&m_recognizer, nullptr, &m_translator}};
    platform::ScopedServices m_services{{&m_screens, &m_shots, nullptr, nullptr, nullptr, nullptr, &m_permission}};
};

TEST_F(AnnotateCommand, menuItem_WithoutScreenAccessOnlyExplains_WithTheOverlayOnOpensAndClosesIt)
{
    QObject owner;
    QAction* item = AnnoMenuProvider::shared().makeMenuItem(&owner);
    m_permission.granted = false;
    item->trigger();
    EXPECT_EQ(m_alerts, 1);
    EXPECT_EQ(m_permission.requests, 1);

    m_permission.granted = true;
    set("selCaptureOverlayEnabled", true);
    item->trigger();
    EXPECT_EQ(m_overlay->begins, 1);
    item->trigger();
    EXPECT_EQ(m_overlay->closes, 1);
    EXPECT_TRUE(m_shots.calls.isEmpty());
    EXPECT_FALSE(controller().isSessionOpen());
    EXPECT_EQ(m_alerts, 1);
}

TEST_F(AnnotateCommand, aFailedPickIsTold_ACancelIsNot_AndASecondPressStartsNoSecondPickButRaisesTheSession)
{
    m_next = platform::CaptureOutcome::failed(QStringLiteral("无法读取屏幕"));
    press();
    EXPECT_EQ(test::toastTitle(), QStringLiteral("截图失败"));
    CaptureHUDController::shared().dismiss(false);
    m_next = platform::CaptureOutcome::cancelled();
    press();
    EXPECT_EQ(test::toastTitle(), QString());
    EXPECT_FALSE(controller().isSessionOpen());

    m_next = platform::CaptureOutcome::success(test::whiteImage(300, 200), 1.0);
    m_shots.holdReplies = true;
    press();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_shots.calls.size() == 3; }, 5000));
    press();
    QTest::qWait(100);
    EXPECT_EQ(m_shots.calls.size(), 3);
    m_shots.held(m_next);
    ASSERT_TRUE(QTest::qWaitFor([] { return controller().isSessionOpen(); }, 5000));

    set("anno.lastTool", "rectangle");
    drag({10, 10}, {100, 80});
    controller().window()->showMinimized();
    press();
    EXPECT_EQ(m_shots.calls.size(), 3);
    EXPECT_FALSE(controller().window()->isMinimized());
    EXPECT_EQ(canvas().items().size(), 1);
    EXPECT_EQ(ends, 0);
}

TEST_F(AnnotateCommand, done_ShowsTheComposedImageInThePanel_WithARecognitionFailure_CancelShowsNothing)
{
    press();
    ASSERT_TRUE(controller().isSessionOpen());
    controller().bottomBar()->cancelButton()->click();
    QTest::qWait(50);
    EXPECT_EQ(m_recognizer.calls, 0);
    EXPECT_FALSE(panelShown());

    m_recognizer.reply = platform::RecognitionOutcome::failure(QStringLiteral("没有可用的识别模型"));
    press();
    controller().toolBar()->toolButton(AnnoTool::crop)->click();
    drag({20, 30}, {220, 130});
    key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return panelShown(); }, 5000));
    const ResultModel& model = ResultPanelController::shared().model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.status().contains(QStringLiteral("没有可用的识别模型")); }, 5000));
    EXPECT_EQ(model.displayImage().size(), QSize(200, 100));
    EXPECT_EQ(m_recognizer.calls, 1);
}

}  // namespace
}  // namespace klipo
