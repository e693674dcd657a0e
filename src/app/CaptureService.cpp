#include "app/CaptureService.h"

#include "app/ScreenshotRun.h"

namespace klipo::CaptureService {

platform::CaptureOutcome captureInteractive(bool fullScreen)
{
    platform::CaptureOptions options;
    options.interactive = !fullScreen;
    return ScreenshotRun::run(options);
}

}  // namespace klipo::CaptureService
