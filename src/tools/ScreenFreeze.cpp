#include "tools/ScreenFreeze.h"

#include "app/ScreenshotRun.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"

#include <memory>

namespace klipo::ScreenFreeze {

namespace {

struct Run {
    QList<Frozen> frozen;
    std::function<void(QList<Frozen>)> done;
};

void next(const std::shared_ptr<Run>& run, int index)
{
    if (index >= run->frozen.size()) {
        auto done = std::move(run->done);
        done(std::move(run->frozen));
        return;
    }
    platform::CaptureOptions options;
    options.displayIndex = run->frozen[index].screen.index;
    ScreenshotRun::start(options, [run, index](platform::CaptureOutcome outcome) {
        Frozen& frozen = run->frozen[index];
        if (outcome.ok()) {
            frozen.imagePx = std::move(outcome.image);
            frozen.imagePx.setDevicePixelRatio(1.0);
        } else {
            frozen.error = outcome.error.isEmpty() ? QStringLiteral("未知原因") : outcome.error;
        }
        next(run, index + 1);
    });
}

}  // namespace

void grabAll(std::function<void(QList<Frozen>)> done)
{
    auto run = std::make_shared<Run>();
    run->done = std::move(done);
    if (const platform::ScreenMetrics* screens = platform::services().screens)
        for (const platform::ScreenInfo& screen : screens->screens()) run->frozen.append({screen, {}, {}});
    if (run->frozen.isEmpty()) {
        platform::runOnMain([run] { run->done({}); });
        return;
    }
    next(run, 0);
}

}  // namespace klipo::ScreenFreeze
