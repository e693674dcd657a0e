#pragma once

#include "app/CaptureService.h"

#include <QImage>

// The capture run of plain screenshots and the rule that brings HiDPI
// captures down to one pixel per point.
namespace klipo::PrefsCaptureRunner {

// An interactive pick or the primary screen, with or without the mouse
// pointer. Blocks until done: call it off the main thread.
platform::CaptureOutcome capture(CaptureService::Mode mode, bool includeCursor);

// The image drawn at 1/factor of its size (each side rounded half away from
// zero) with smooth interpolation. The image itself comes back when the factor
// is 1 or less (or not a number), when a side would fall below one pixel, or
// when the new image cannot be made.
QImage downscale(const QImage& image, double factor);

}  // namespace klipo::PrefsCaptureRunner
