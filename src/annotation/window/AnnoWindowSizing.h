#pragma once

#include <QRect>
#include <QSize>

#include <optional>

namespace klipo::AnnoWindowSizing {

// The bars and margins around the canvas, in points.
inline constexpr int chromeWidth = 28;
inline constexpr int chromeHeight = 170;
inline constexpr QSize minimumContent{820, 560};
inline constexpr QSize minimumWindow{780, 540};

// The content size of the annotation window for an image: its size in points
// (pixels / scale) fitted into 90 % of the visible area less the bars, never
// enlarged, plus the bars; at least 820 by 560. Without a screen the room is
// 1268 by 640 points.
QSize contentSize(const QSize& imagePx, double scale, const std::optional<QRect>& visibleArea);

}  // namespace klipo::AnnoWindowSizing
