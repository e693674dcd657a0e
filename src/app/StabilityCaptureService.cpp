#include "app/StabilityCaptureService.h"

#include "app/ScreenshotRun.h"
#include "app/StabilityScreenMetrics.h"
#include "platform/SerialQueue.h"

#include <QThreadPool>

#include <cmath>

namespace klipo::StabilityCaptureService {

StabilityCaptureContext currentContext()
{
    return {StabilityScreenMetrics::screenUnderMouse(), StabilityScreenMetrics::displayIndexUnderMouse()};
}

void capture(CaptureService::Mode mode, std::function<void(platform::CaptureOutcome)> completion)
{
    const StabilityCaptureContext context = currentContext();
    QThreadPool::globalInstance()->start([mode, context, completion = std::move(completion)]() mutable {
        platform::CaptureOutcome outcome = capture(mode, context);
        platform::runOnMain([completion = std::move(completion), outcome = std::move(outcome)]() mutable {
            if (completion) completion(std::move(outcome));
        });
    });
}

platform::CaptureOutcome capture(CaptureService::Mode mode, const StabilityCaptureContext& context)
{
    platform::CaptureOptions options;
    if (mode == CaptureService::Mode::interactive) options.interactive = true;
    else options.displayIndex = context.displayIndex;

    platform::CaptureOutcome outcome = ScreenshotRun::run(options);
    if (!outcome.ok()) return outcome;
    if (!(outcome.scale > 0.0) || !std::isfinite(outcome.scale))
        outcome.scale = StabilityScreenMetrics::inferredScale(outcome.image);
    if (!outcome.screen) outcome.screen = context.screen;
    return outcome;
}

}  // namespace klipo::StabilityCaptureService
