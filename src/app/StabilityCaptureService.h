#pragma once

#include "app/CaptureService.h"
#include "platform/ScreenshotTool.h"

#include <functional>
#include <optional>

namespace klipo {

// Where the pointer was when a capture was asked for.
struct StabilityCaptureContext {
    std::optional<platform::ScreenInfo> screen;
    int displayIndex = 1;  // 1-based position of that screen in the display list
};

// The capture of full-screen translation (and of capture-and-translate with
// the overlay off): the screen under the pointer, or an interactive pick. The
// outcome carries the image, its pixels per point and the screen it came from.
namespace StabilityCaptureService {

// The pointer's screen and display index, read now. Main thread.
StabilityCaptureContext currentContext();

// Reads the context on the calling main thread, captures off the main thread,
// and hands the outcome to `completion` on the main thread. A full-screen
// capture of a display that cannot be read fails; it never falls back to
// another screen.
void capture(CaptureService::Mode mode, std::function<void(platform::CaptureOutcome)> completion);

// The blocking worker: call it off the main thread.
platform::CaptureOutcome capture(CaptureService::Mode mode, const StabilityCaptureContext& context);

}  // namespace StabilityCaptureService
}  // namespace klipo
