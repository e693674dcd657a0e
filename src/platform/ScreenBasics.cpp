#include "platform/ScreenMetrics.h"
#include "platform/ScreenshotTool.h"

#include <QThread>
#include <QCoreApplication>

#include <atomic>
#include <cmath>
#include <future>

namespace klipo::platform {

QSize ScreenInfo::pixelSize() const
{
    return {int(std::lround(geometry.width() * devicePixelRatio)),
            int(std::lround(geometry.height() * devicePixelRatio))};
}

std::optional<ScreenInfo> ScreenMetrics::screenUnderPointer() const
{
    const QList<ScreenInfo> all = screens();
    const QPoint p = pointerPosition();
    for (const ScreenInfo& s : all)
        if (s.geometry.contains(p)) return s;
    if (auto primary = primaryScreen()) return primary;
    if (!all.isEmpty()) return all.first();
    return std::nullopt;
}

int ScreenMetrics::displayIndexUnderPointer() const
{
    const auto screen = screenUnderPointer();
    if (!screen) return 1;
    const QList<ScreenInfo> all = screens();
    for (int i = 0; i < all.size(); ++i)
        if (all[i].name == screen->name && all[i].geometry == screen->geometry) return i + 1;
    return 1;
}

CaptureOutcome CaptureOutcome::success(QImage image, double scale, std::optional<ScreenInfo> screen)
{
    CaptureOutcome o;
    o.status = Status::Image;
    o.image = std::move(image);
    o.scale = scale;
    o.screen = std::move(screen);
    return o;
}

CaptureOutcome CaptureOutcome::cancelled()
{
    CaptureOutcome o;
    o.status = Status::Cancelled;
    return o;
}

CaptureOutcome CaptureOutcome::failed(QString reason)
{
    CaptureOutcome o;
    o.status = Status::Failed;
    o.error = std::move(reason);
    return o;
}

CaptureOutcome ScreenshotTool::captureBlocking(const CaptureOptions& options, std::chrono::milliseconds limit)
{
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return CaptureOutcome::failed(QStringLiteral("内部错误：不能在界面线程上等待截图"));
    auto promise = std::make_shared<std::promise<CaptureOutcome>>();
    auto future = promise->get_future();
    auto delivered = std::make_shared<std::atomic_bool>(false);
    QMetaObject::invokeMethod(
        app,
        [this, options, promise = std::move(promise), delivered]() mutable {
            capture(options, [promise = std::move(promise), delivered](CaptureOutcome o) {
                if (!delivered->exchange(true)) promise->set_value(std::move(o));
            });
        },
        Qt::QueuedConnection);
    return awaitOutcome(future, limit);
}

CaptureOutcome ScreenshotTool::awaitOutcome(std::future<CaptureOutcome>& future, std::chrono::milliseconds limit)
{
    if (future.wait_for(limit) != std::future_status::ready)
        return CaptureOutcome::failed(QStringLiteral("截图长时间没有完成，已放弃等待"));
    try {
        return future.get();
    } catch (const std::future_error&) {
        return CaptureOutcome::failed(QStringLiteral("截图没有完成：程序正在退出"));
    }
}

void ScreenshotTool::deliverLater(std::function<void(CaptureOutcome)> done, CaptureOutcome outcome)
{
    auto* app = QCoreApplication::instance();
    if (!app) {
        done(std::move(outcome));
        return;
    }
    QMetaObject::invokeMethod(
        app, [done = std::move(done), outcome = std::move(outcome)] { done(outcome); }, Qt::QueuedConnection);
}

}  // namespace klipo::platform
