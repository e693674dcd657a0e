#pragma once

#include "platform/ScreenshotTool.h"

// The interactive screenshot primitive: QR reading and the annotate command use
// it when the capture overlay is switched off.
namespace klipo::CaptureService {

enum class Mode { interactive, fullScreen };

// Lets the user pick a region or window (or, with fullScreen, takes the primary
// screen) and returns the picture at full pixel size, a cancel, or a failure
// with its reason. Blocks until done: call it off the main thread.
platform::CaptureOutcome captureInteractive(bool fullScreen);

}  // namespace klipo::CaptureService
