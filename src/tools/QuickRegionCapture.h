#pragma once

#include "platform/ScreenMetrics.h"
#include "platform/ScreenshotTool.h"

#include <QRectF>

#include <functional>
#include <optional>

// A screenshot of a fixed rectangle of the desktop, without interaction.
namespace klipo::QuickRegionCapture {

// The reason given when no screen shows any of the area.
QString offScreenReason();

// The global logical rectangle (whole points) of a stored area on these
// screens; none when the area is under a point or no screen holds any of it.
// Without a primary screen the first screen stands in for it.
std::optional<QRect> globalRect(const QRectF& storedArea, const QList<platform::ScreenInfo>& screens,
                                const std::optional<platform::ScreenInfo>& primary);

// Takes the stored area from the screens at device pixels; `done` runs once on
// the main thread with the picture, or a failure with its reason: the area no
// screen holds, or why the screens could not be read.
void capture(const QRectF& storedArea, std::function<void(platform::CaptureOutcome)> done);

}  // namespace klipo::QuickRegionCapture
