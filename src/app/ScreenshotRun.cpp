#include "app/ScreenshotRun.h"

#include "app/CaptureHUDController.h"
#include "platform/MenusOffScreen.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <future>
#include <memory>

namespace klipo::ScreenshotRun {

namespace {
using Done = std::function<void(platform::CaptureOutcome)>;

void captureNow(const platform::CaptureOptions& options, Done done)
{
    platform::ScreenshotTool* tool = platform::services().screenshots;
    if (!tool) {
        platform::runOnMain([done = std::move(done)] {
            done(platform::CaptureOutcome::failed(QStringLiteral("截图功能不可用：没有可用的截图服务")));
        });
        return;
    }
    tool->capture(options, [done = std::move(done)](platform::CaptureOutcome outcome) {
        if (outcome.ok() && outcome.image.isNull())
            outcome = platform::CaptureOutcome::failed(QStringLiteral("截到的画面是空的"));
        done(std::move(outcome));
    });
}

// The toast goes off the screen first, with a moment for the desktop to repaint there.
void captureWithoutToast(const platform::CaptureOptions& options, Done done)
{
    if (!CaptureHUDController::shared().hideForCapture()) {
        captureNow(options, std::move(done));
        return;
    }
    QTimer::singleShot(toastClearDelayMs, QCoreApplication::instance(),
                       [options, done = std::move(done)]() mutable { captureNow(options, std::move(done)); });
}
}  // namespace

void start(const platform::CaptureOptions& options, Done done)
{
    if (!platform::isMainThread()) {
        platform::runOnMain([options, done = std::move(done)]() mutable { start(options, std::move(done)); });
        return;
    }
    // A capture started from a menu item: the menu has just closed, and the
    // windows under it may still show it until their programs repaint.
    platform::MenusOffScreen::closeAllThen([options, done = std::move(done)]() mutable {
        captureWithoutToast(options, std::move(done));
    });
}

platform::CaptureOutcome run(const platform::CaptureOptions& options, std::chrono::milliseconds limit)
{
    if (!QCoreApplication::instance() || platform::isMainThread())
        return platform::CaptureOutcome::failed(QStringLiteral("内部错误：不能在界面线程上等待截图"));
    auto promise = std::make_shared<std::promise<platform::CaptureOutcome>>();
    auto future = promise->get_future();
    auto delivered = std::make_shared<std::atomic_bool>(false);
    // Only the capture holds the promise: dropped unanswered, it breaks and
    // the wait ends.
    start(options, [promise = std::move(promise), delivered](platform::CaptureOutcome outcome) {
        if (!delivered->exchange(true)) promise->set_value(std::move(outcome));
    });
    return platform::ScreenshotTool::awaitOutcome(future, limit);
}

}  // namespace klipo::ScreenshotRun
