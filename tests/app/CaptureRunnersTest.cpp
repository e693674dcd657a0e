#include "AppFakes.h"
#include "SettingsFixture.h"
#include "app/PrefsCaptureFeedback.h"
#include "app/CaptureFailure.h"
#include "app/CaptureHUDController.h"
#include "app/CaptureService.h"
#include "app/PrefsCaptureRunner.h"
#include "app/ScreenshotRun.h"
#include "app/StabilityCaptureService.h"
#include "app/StabilityScreenMetrics.h"
#include "platform/PlatformServices.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QThread>
#include <QtConcurrent>

#include <cmath>

using namespace klipo;
using platform::CaptureOutcome;

namespace {

// Two screens side by side: A at 1x, B at 2x; the pointer on B.
class CaptureRunnersTest : public ::testing::Test {
protected:
    test::FakeScreenMetrics metrics;
    test::FakeScreenshotTool tool;
    platform::PlatformServices fakes{&metrics, &tool};
    std::optional<platform::ScopedServices> scope;

    void SetUp() override
    {
        metrics.list = {test::screen("A", 1, {0, 0, 1920, 1080}, 1.0), test::screen("B", 2, {1920, 0, 1280, 1024}, 2.0)};
        metrics.pointer = {2500, 500};
        scope.emplace(fakes);
        CaptureHUDController::shared().dismiss(false);
    }
    void TearDown() override
    {
        CaptureHUDController::shared().dismiss(false);
        scope.reset();
    }

    static CaptureOutcome image(int w, int h, double scale = 1.0)
    {
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::red);
        return CaptureOutcome::success(img, scale);
    }

    // Runs a blocking runner on a worker while the main loop serves the tool.
    template <typename F>
    static CaptureOutcome onWorker(F runner)
    {
        QFuture<CaptureOutcome> future = QtConcurrent::run(runner);
        EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 5000));
        return future.result();
    }
};

TEST_F(CaptureRunnersTest, scale_RoundsToHalvesWithinOneToFour_MatchesAScreensPixels_ElseThePointersScreen)
{
    using StabilityScreenMetrics::scale;
    EXPECT_EQ((std::tuple{scale(3, 2), scale(5, 1), scale(1, 4)}), (std::tuple{1.5, 4.0, 1.0}));
    EXPECT_FALSE(scale(100, 0));

    using StabilityScreenMetrics::inferredScale;
    EXPECT_EQ(inferredScale(QImage(2560, 2048, QImage::Format_RGB32)), 2.0);
    EXPECT_EQ(inferredScale(QImage(1920, 1080, QImage::Format_RGB32)), 1.0);
    EXPECT_EQ(inferredScale(QImage(300, 200, QImage::Format_RGB32)), 2.0);  // pointer on B
    metrics.pointer = {100, 100};
    EXPECT_EQ(inferredScale(QImage(300, 200, QImage::Format_RGB32)), 1.0);
    metrics.list.clear();
    EXPECT_EQ(inferredScale(QImage(300, 200, QImage::Format_RGB32)), 1.0);  // never guesses two
}

TEST(PrefsCaptureRunnerTest, downscale_AveragesPixels_AndKeepsTheImageWhenItCannot)
{
    using PrefsCaptureRunner::downscale;
    const QImage retina(2880, 1800, QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(downscale(retina, 2.0).size(), QSize(1440, 900));
    EXPECT_EQ(downscale(QImage(3, 5, QImage::Format_RGB32), 2.0).size(), QSize(2, 3));  // halves round up
    for (double factor : {1.0, 0.5, std::nan("")}) EXPECT_EQ(downscale(retina, factor).cacheKey(), retina.cacheKey());
    const QImage thin(1, 300, QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(downscale(thin, 3.0).cacheKey(), thin.cacheKey());

    QImage stripes(4, 2, QImage::Format_ARGB32_Premultiplied);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y) stripes.setPixelColor(x, y, x % 2 ? Qt::white : Qt::black);
    EXPECT_NEAR(downscale(stripes, 2.0).pixelColor(0, 0).red(), 128, 20);
}

TEST_F(CaptureRunnersTest, anEmptyImageIsAFailure_ACancelStaysSilent_AFailureIsToastedWithItsReason)
{
    tool.reply = [](const platform::CaptureOptions&) { return CaptureOutcome::success(QImage(), 1.0); };
    EXPECT_EQ(onWorker([] { return CaptureService::captureInteractive(true); }).status, CaptureOutcome::Status::Failed);
    ASSERT_EQ(tool.calls.size(), 1);
    EXPECT_FALSE(tool.calls[0].interactive || tool.calls[0].includeCursor);

    tool.reply = [](const platform::CaptureOptions&) { return CaptureOutcome::cancelled(); };
    reportCaptureFailure(onWorker([] { return CaptureService::captureInteractive(false); }));
    EXPECT_TRUE(tool.calls.value(1).interactive);
    QTest::qWait(20);
    EXPECT_FALSE(CaptureHUDController::shared().isShowingToast());

    tool.reply = [](const platform::CaptureOptions&) { return CaptureOutcome::failed(QStringLiteral("无法读取屏幕")); };
    reportCaptureFailure(onWorker([] { return CaptureService::captureInteractive(false); }));
    ASSERT_TRUE(QTest::qWaitFor([] { return CaptureHUDController::shared().isShowingToast(); }, 1000));
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("截图失败"));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), QStringLiteral("无法读取屏幕"));
}

TEST_F(CaptureRunnersTest, fullScreen_TakesThePointersDisplayOnly_AndDeliversOnTheMainThreadWithItsScale)
{
    tool.reply = [](const platform::CaptureOptions&) { return CaptureOutcome::failed(QStringLiteral("显示器 2 无法读取")); };
    const StabilityCaptureContext context = StabilityCaptureService::currentContext();
    EXPECT_EQ(context.displayIndex, 2);
    const CaptureOutcome outcome =
        onWorker([context] { return StabilityCaptureService::capture(CaptureService::Mode::fullScreen, context); });
    EXPECT_EQ(outcome.status, CaptureOutcome::Status::Failed);
    ASSERT_EQ(tool.calls.size(), 1);  // no other display is tried
    EXPECT_EQ(tool.calls[0].displayIndex, 2);

    tool.reply = [](const platform::CaptureOptions&) { return image(2560, 2048, 0.0); };
    std::optional<CaptureOutcome> delivered;
    bool onMain = false;
    StabilityCaptureService::capture(CaptureService::Mode::fullScreen, [&](CaptureOutcome outcome) {
        onMain = QThread::currentThread() == qApp->thread();
        delivered = std::move(outcome);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered.has_value(); }, 5000));
    EXPECT_TRUE(onMain);
    EXPECT_EQ(delivered->scale, 2.0);  // the tool gave none: inferred from B's pixel size
    ASSERT_TRUE(delivered->screen);
    EXPECT_EQ(delivered->screen->name, "B");
}

TEST_F(CaptureRunnersTest, blockingCapture_FailsOnTheMainThread_AndGivesUpWhenTheCaptureNeverEnds)
{
    tool.reply = [](const platform::CaptureOptions&) { return image(10, 10); };
    EXPECT_EQ(CaptureService::captureInteractive(false).status, CaptureOutcome::Status::Failed);
    EXPECT_TRUE(tool.calls.isEmpty());

    tool.holdReplies = true;
    QFuture<CaptureOutcome> waiting =
        QtConcurrent::run([] { return ScreenshotRun::run({}, std::chrono::milliseconds(200)); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return waiting.isFinished(); }, 5000));
    ASSERT_TRUE(tool.held);
    tool.held(image(10, 10));  // too late for a bounded wait; frees an unbounded one
    EXPECT_EQ(waiting.result().status, CaptureOutcome::Status::Failed);

    // Dropped unanswered (the application ends first): a failure, not an exception.
    tool.holdReplies = false;
    tool.dropReplies = true;
    const CaptureOutcome dropped = onWorker([] { return ScreenshotRun::run({}); });
    EXPECT_EQ(dropped.status, CaptureOutcome::Status::Failed);
}

TEST_F(CaptureRunnersTest, plainRunner_IncludesTheCursorWhenAsked_AndTakesAShowingToastOffScreenFirst)
{
    tool.reply = [](const platform::CaptureOptions&) { return image(10, 10); };
    EXPECT_TRUE(onWorker([] { return PrefsCaptureRunner::capture(CaptureService::Mode::fullScreen, true); }).ok());
    EXPECT_TRUE(!tool.calls.value(0).interactive && tool.calls.value(0).includeCursor);
    CaptureHUDController::shared().show(QStringLiteral("截图已保存"), QStringLiteral("桌面"));
    ASSERT_TRUE(CaptureHUDController::shared().isShowingToast());
    std::optional<CaptureOutcome> delivered;
    ScreenshotRun::start({}, [&](CaptureOutcome o) { delivered = std::move(o); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered.has_value(); }, 2000));
    ASSERT_EQ(tool.toastShowingAtCapture.size(), 2);
    EXPECT_FALSE(tool.toastShowingAtCapture[1]);
}

class CaptureFeedbackTest : public test::SettingsTest {
protected:
    test::FakeNotifier notifier;
    test::FakeSoundPlayer sounds;
    test::FakeFileViewer files;
    platform::ScopedServices scope{platform::PlatformServices{nullptr, nullptr, nullptr, &notifier, &sounds, &files}};
};

TEST_F(CaptureFeedbackTest, defaultsDoNothing_ACopyIsNotifiedWithoutBody_ASavedFileByNameWithTheChosenAction)
{
    PrefsCaptureFeedback::finishCapture(QStringLiteral("/tmp/a.png"));
    EXPECT_TRUE(sounds.played.isEmpty() && notifier.posts.isEmpty() && files.revealed.isEmpty() && files.opened.isEmpty());

    set("captureShowNotification", true);
    set("captureAfterAction", QStringLiteral("revealInFinder"));
    PrefsCaptureFeedback::finishCapture(std::nullopt);
    EXPECT_EQ(notifier.posts.value(0), qMakePair(QStringLiteral("截图已复制到剪贴板"), QString()));
    EXPECT_TRUE(files.revealed.isEmpty());

    set("captureSoundEnabled", true);
    set("captureSoundName", QStringLiteral("Glass"));
    const QString path = QStringLiteral("/tmp/截图 1.png");
    PrefsCaptureFeedback::finishCapture(path);
    EXPECT_EQ(sounds.played, QStringList{"Glass"});
    EXPECT_EQ(notifier.posts.value(1), qMakePair(QStringLiteral("截图已保存"), QStringLiteral("截图 1.png")));
    EXPECT_EQ(files.revealed, QStringList{path});
    set("captureAfterAction", QStringLiteral("openInPreview"));
    PrefsCaptureFeedback::finishCapture(path);
    EXPECT_EQ(files.opened, QStringList{path});
    EXPECT_EQ(files.revealed.size(), 1);
}

}  // namespace
