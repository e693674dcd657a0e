// Plain and delayed screenshots with a stand-in screenshot tool: what is
// saved, copied, told and kept for each setting, the hand-off to the overlay,
// and cancelling a delayed capture.
#include "ToolsFakes.h"
#include "app/AppFakes.h"
#include "app/SettingsFixture.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "stores/HistoryStore.h"
#include "support/TestEnv.h"
#include "tools/PlainCaptureService.h"
#include "tools/QuickCaptureMenu.h"
#include "tools/QuickCaptureService.h"
#include "tools/QuickSettings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMenu>

using namespace klipo;
using Mode = CaptureService::Mode;

namespace {

class PlainCapture : public test::SettingsTest {
protected:
    void SetUp() override
    {
        set("plainCaptureDirectory", m_dir);
        set("selCaptureOverlayEnabled", false);
        m_screens.list = {test::screen("A", 1, QRect(0, 0, 1440, 900), 2.0)};
        CaptureHUDController::shared().dismiss(false);
    }
    void TearDown() override
    {
        PlainCaptureService::setOverlay(nullptr);
        QuickCaptureService::onCountdownTick = nullptr;
        SettingsTest::TearDown();
    }

    void replyWith(const QImage& image, double scale)
    {
        m_tool.reply = [image, scale](const platform::CaptureOptions&) { return platform::CaptureOutcome::success(image, scale); };
    }
    static QImage screenPicture(const QSize& size)
    {
        QImage image = test::whitePage(size);
        QPainter(&image).fillRect(QRect(QPoint(0, 0), size / 3), QColor(0xcc, 0x33, 0x66));
        return image;
    }
    // Starts an interactive capture and waits for its toast.
    void captureAndWaitForToast()
    {
        CaptureHUDController::shared().dismiss(false);
        PlainCaptureService::start(Mode::interactive, {});
        ASSERT_TRUE(QTest::qWaitFor([] { return CaptureHUDController::shared().isShowingToast(); }, 10000));
    }
    QStringList files() const { return QDir(m_dir).entryList(QDir::Files); }
    static QList<HistoryRecord> history() { return HistoryStore::shared().allRecords(); }
    static QString subtitle() { return CaptureHUDController::shared().currentSubtitle(); }

    QString m_dir = test::freshDir("plain");
    test::FakeScreenMetrics m_screens;
    test::FakeScreenshotTool m_tool;
    test::FakePermission m_permission;
    platform::ScopedServices m_services{{&m_screens, &m_tool, nullptr, nullptr, nullptr, nullptr, &m_permission}};
};

}  // namespace

TEST_F(PlainCapture, savesAtTheCapturedScreensScale_CopiesTellsAndKeepsItInTheHistory)
{
    set("captureScaleRetinaTo1x", true);
    m_screens.list.first().devicePixelRatio = 1.0;  // the primary screen's scale must not count
    const QImage picture = screenPicture({2880, 1800});
    replyWith(picture, 2.0);
    ASSERT_NO_FATAL_FAILURE(captureAndWaitForToast());
    EXPECT_EQ(test::toastTitle(), QStringLiteral("截图已保存并复制"));
    ASSERT_EQ(files().size(), 1);
    const QString file = files().first();
    EXPECT_TRUE(file.endsWith(".png"));
    EXPECT_EQ(subtitle(), QFileInfo(m_dir).fileName() + " · " + file);
    EXPECT_EQ(QImage(m_dir + "/" + file).size(), QSize(1440, 900));
    EXPECT_EQ(platform::services().clipboard->image().size(), QSize(1440, 900));
    EXPECT_FALSE(m_tool.calls.first().includeCursor);
    ASSERT_TRUE(QTest::qWaitFor([&] { return history().value(0).originalText == QFileInfo(file).completeBaseName(); }));

    // JPEG files end in ".jpg"; at one pixel per point nothing is scaled.
    set("plainCaptureFormat", "jpeg");
    set("captureIncludeCursor", true);
    replyWith(screenPicture({1000, 500}), 1.0);
    ASSERT_NO_FATAL_FAILURE(captureAndWaitForToast());
    const QStringList jpegs = QDir(m_dir).entryList({"*.jpg"}, QDir::Files);
    ASSERT_EQ(jpegs.size(), 1);
    QImageReader reader(m_dir + "/" + jpegs.first());
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), QSize(1000, 500));
    EXPECT_TRUE(m_tool.calls.last().includeCursor && m_tool.calls.last().interactive);
}

TEST_F(PlainCapture, withoutAutoSaveOnlyCopies_AndWithoutToastStillCopiesAndRecords)
{
    set("autoSaveCapture", false);
    replyWith(screenPicture({300, 200}), 1.0);
    ASSERT_NO_FATAL_FAILURE(captureAndWaitForToast());
    EXPECT_EQ(test::toastTitle(), QStringLiteral("截图已复制到剪贴板"));
    EXPECT_EQ(subtitle(), QStringLiteral("未保存到文件夹（已关闭自动保存）"));
    EXPECT_TRUE(files().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history().isEmpty() && history().first().originalText.startsWith(QStringLiteral("截图 ")); }));

    const auto before = history().size();
    set("plainCaptureShowHUD", false);
    platform::services().clipboard->setText("before");
    replyWith(screenPicture({120, 80}), 1.0);
    PlainCaptureService::start(Mode::interactive, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return history().size() == before + 1; }, 10000));
    EXPECT_EQ(platform::services().clipboard->image().size(), QSize(120, 80));
    EXPECT_FALSE(CaptureHUDController::shared().isShowingToast());
}

TEST_F(PlainCapture, aCancelIsSilent_AFailedGrabIsTold)
{
    m_tool.reply = [](const platform::CaptureOptions&) { return platform::CaptureOutcome::cancelled(); };
    PlainCaptureService::start(Mode::interactive, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_tool.calls.size() == 1; }));
    QTest::qWait(300);
    EXPECT_FALSE(CaptureHUDController::shared().isShowingToast());
    EXPECT_TRUE(files().isEmpty());

    m_tool.reply = [](const platform::CaptureOptions&) { return platform::CaptureOutcome::failed("屏幕读不出来"); };
    ASSERT_NO_FATAL_FAILURE(captureAndWaitForToast());
    EXPECT_EQ(test::toastTitle(), QStringLiteral("截图失败"));
    EXPECT_EQ(subtitle(), QStringLiteral("屏幕读不出来"));
}

TEST_F(PlainCapture, handsInteractiveCapturesToTheOverlay_ASecondPressClosesIt_AndNoAccessCapturesNothing)
{
    auto overlay = std::make_shared<test::FakeOverlay>();
    PlainCaptureService::setOverlay(overlay);
    set("selCaptureOverlayEnabled", true);
    PlainCaptureService::start(Mode::interactive, {});
    EXPECT_EQ(overlay->beginsAtMs.size(), 1);
    PlainCaptureService::start(Mode::interactive, {});
    EXPECT_EQ(overlay->closes, 1);
    EXPECT_EQ(overlay->beginsAtMs.size(), 1);
    EXPECT_TRUE(m_tool.calls.isEmpty());

    m_permission.granted = false;
    int denied = 0;
    PlainCaptureService::start(Mode::interactive, [&] { ++denied; });
    EXPECT_EQ(denied, 1);
    EXPECT_EQ(m_permission.requests, 1);
    EXPECT_EQ(overlay->beginsAtMs.size(), 1);
    EXPECT_TRUE(m_tool.calls.isEmpty());
}

TEST_F(PlainCapture, delayedCapture_CountsDownBeforeCapturing_AndTheMenuOffersOnlyItsCancelWhileCounting)
{
    set("quickDelaySeconds", 3);  // removed after the test
    auto overlay = std::make_shared<test::FakeOverlay>();
    PlainCaptureService::setOverlay(overlay);
    set("selCaptureOverlayEnabled", true);
    QList<std::optional<int>> ticks;
    QList<qint64> tickTimes;
    QuickCaptureService::onCountdownTick = [&](std::optional<int> seconds) {
        ticks << seconds;
        tickTimes << overlay->clock.elapsed();
    };
    QuickCaptureService::startDelayedCapture(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !overlay->beginsAtMs.isEmpty(); }, 10000));
    ASSERT_GE(ticks.size(), 4);
    EXPECT_EQ(ticks.mid(0, 4), (QList<std::optional<int>>{3, 2, 1, std::nullopt}));
    for (const auto& tick : ticks.mid(4)) EXPECT_EQ(tick, std::nullopt);
    EXPECT_GE(overlay->beginsAtMs.first(), 3150);  // timers never fire early
    EXPECT_GE(overlay->beginsAtMs.first() - tickTimes[2], 1150);

    // From the quick menu: while counting, only the chosen delay shows, as its cancel.
    ticks.clear();
    QObject owner;
    QMenu* menu = QuickCaptureMenuProvider::shared().makeMenuItem(&owner)->menu();
    const auto item = [&](int tag) {
        for (QAction* action : menu->actions())
            if (action->data().toInt() == tag) return action;
        return static_cast<QAction*>(nullptr);
    };
    item(10)->trigger();
    QuickCaptureMenuProvider::shared().refresh(menu);
    for (int seconds : {3, 5, 10}) EXPECT_EQ(item(seconds)->isVisible(), seconds == 10) << seconds;
    EXPECT_EQ(item(10)->text(), QStringLiteral("取消延时截图"));
    item(10)->trigger();
    EXPECT_EQ(ticks, (QList<std::optional<int>>{10, std::nullopt}));
    QTest::qWait(1300);
    EXPECT_EQ(ticks.size(), 2);
    EXPECT_EQ(overlay->beginsAtMs.size(), 1);
    QuickCaptureMenuProvider::shared().refresh(menu);
    for (int seconds : {3, 5, 10}) EXPECT_TRUE(item(seconds)->isVisible() && item(seconds)->isChecked() == (seconds == 10));
}
