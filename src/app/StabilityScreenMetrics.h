#pragma once

#include "platform/ScreenMetrics.h"

#include <QImage>

#include <optional>

// Screen queries of the capture runners: which screen the pointer is on, its
// position in the display list, and the pixels-per-point of a capture.
namespace klipo::StabilityScreenMetrics {

// The first screen holding the pointer, else the primary, else the first; none without screens.
std::optional<platform::ScreenInfo> screenUnderMouse();

// 1-based position of that screen in the display list; 1 when unknown.
int displayIndexUnderMouse();

// Pixels per point from an image's pixel width and its width in points,
// rounded to the nearest half and kept within 1 to 4; none when either width
// is not positive.
std::optional<double> scale(int pixelWidth, double pointWidth);
// The same for an image whose device pixel ratio says how many pixels make a point.
std::optional<double> scale(const QImage& image);

// The device pixel ratio of the first screen whose pixel size equals the
// bitmap's size; otherwise the ratio of the screen under the pointer;
// otherwise 1.
double inferredScale(const QImage& bitmap);

}  // namespace klipo::StabilityScreenMetrics
