#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>

// The sizes and places of pinned images, in logical points of the desktop
// (origin top left, y down).
namespace klipo::PinGeometry {

inline constexpr double maxScale = 8.0;
// A pin is not made smaller than this on its longer side...
inline constexpr double minLongerSide = 56.0;
// ...unless that needs a scale under this.
inline constexpr double minScaleFloor = 0.1;
inline constexpr int cascadeStep = 26;
inline constexpr int cascadePositions = 6;
inline constexpr int edgeMargin = 8;

// The image's size in points on a screen of that scale, each side at least 1.
QSizeF basePointSize(const QSize& pixels, double screenScale);
// max(0.1, min(1, 56 / longer side)).
double minimumScale(const QSizeF& base);
double clampScale(double scale, const QSizeF& base);
// The pin's size at a scale: each side rounded, at least 1.
QSize sizeAt(const QSizeF& base, double scale);
// Never enlarged; shrunk to 85 % of the visible area when larger; within the limits.
double initialScale(const QSizeF& base, const QRect& visible);
// The top-left corner of a new pin of that size: centred on the pointer, the
// n-th open pin (the new one counted) moved 26 points right and down per
// step, six steps round; kept 8 points inside the visible area, and where it
// is too large, its left and bottom sides are.
QPoint initialOrigin(const QSize& size, const QPoint& pointer, const QRect& visible, int openPins);

}  // namespace klipo::PinGeometry
