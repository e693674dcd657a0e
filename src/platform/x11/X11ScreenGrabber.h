#pragma once

#include "platform/ScreenshotTool.h"

class QScreen;

namespace klipo::platform::x11 {

// Reads what a screen shows right now from the X server, at device pixels,
// optionally with the pointer drawn in. The image's own devicePixelRatio is 1;
// the outcome's scale is the screen's ratio. `index` is the screen's 1-based
// position, recorded in the outcome. Main thread only.
CaptureOutcome grabScreen(QScreen* screen, int index, bool includeCursor);

}  // namespace klipo::platform::x11
