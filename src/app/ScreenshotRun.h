#pragma once

#include "platform/ScreenshotTool.h"

#include <functional>

// One screenshot through the platform's screenshot tool. X11 cannot keep our
// own windows out of a grab, so the toast is taken off the screen first.
namespace klipo::ScreenshotRun {

// How long the desktop gets to repaint where the toast was before the grab.
inline constexpr int toastClearDelayMs = 80;

// Starts the capture; `done` runs once, on the main thread. May be called from
// any thread.
void start(const platform::CaptureOptions& options, std::function<void(platform::CaptureOutcome)> done);

// Blocking form for worker threads: waits at most `limit` (an open pick ends
// by itself before that). On the main thread it cannot wait for the main
// thread and answers Failed at once.
platform::CaptureOutcome run(const platform::CaptureOptions& options,
                             std::chrono::milliseconds limit = platform::blockingCaptureLimit);

}  // namespace klipo::ScreenshotRun
