#pragma once

#include "platform/ScreenshotTool.h"

namespace klipo {

// Tells the user about a failed capture: the toast "截图失败" with the reason.
// A cancel is the user's own choice and stays silent, as does a success.
// May be called from any thread (the toast appears on the main thread).
void reportCaptureFailure(const platform::CaptureOutcome& outcome);

}  // namespace klipo
