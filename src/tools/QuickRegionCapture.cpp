#include "tools/QuickRegionCapture.h"

#include "app/ScreenshotRun.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"
#include "tools/QuickArea.h"

namespace klipo::QuickRegionCapture {

QString offScreenReason() { return QStringLiteral("这块区域已经不在屏幕上了，请重新框选"); }

std::optional<QRect> globalRect(const QRectF& storedArea, const QList<platform::ScreenInfo>& screens,
                                const std::optional<platform::ScreenInfo>& primary)
{
    if (screens.isEmpty()) return std::nullopt;
    const QRect primaryGeometry = primary ? primary->geometry : screens.first().geometry;
    const std::optional<QRect> rect = QuickArea::wholePoints(QuickArea::toGlobal(storedArea, primaryGeometry));
    if (!rect) return std::nullopt;
    for (const platform::ScreenInfo& screen : screens)
        if (screen.geometry.intersects(*rect)) return rect;
    return std::nullopt;
}

void capture(const QRectF& storedArea, std::function<void(platform::CaptureOutcome)> done)
{
    const platform::ScreenMetrics* metrics = platform::services().screens;
    const std::optional<QRect> rect =
        metrics ? globalRect(storedArea, metrics->screens(), metrics->primaryScreen()) : std::nullopt;
    if (!rect) {
        platform::runOnMain([done = std::move(done)] { done(platform::CaptureOutcome::failed(offScreenReason())); });
        return;
    }
    platform::CaptureOptions options;
    options.region = *rect;
    ScreenshotRun::start(options, std::move(done));
}

}  // namespace klipo::QuickRegionCapture
