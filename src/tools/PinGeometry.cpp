#include "tools/PinGeometry.h"

#include <algorithm>
#include <cmath>

namespace klipo::PinGeometry {

QSizeF basePointSize(const QSize& pixels, double screenScale)
{
    const double scale = screenScale > 0 ? screenScale : 1.0;
    return {std::max(1.0, pixels.width() / scale), std::max(1.0, pixels.height() / scale)};
}

double minimumScale(const QSizeF& base)
{
    const double longer = std::max(base.width(), base.height());
    return std::max(minScaleFloor, std::min(1.0, minLongerSide / longer));
}

double clampScale(double scale, const QSizeF& base) { return std::clamp(scale, minimumScale(base), maxScale); }

QSize sizeAt(const QSizeF& base, double scale)
{
    return {std::max(1, int(std::lround(base.width() * scale))), std::max(1, int(std::lround(base.height() * scale)))};
}

double initialScale(const QSizeF& base, const QRect& visible)
{
    const double fit =
        std::min({visible.width() * 0.85 / base.width(), visible.height() * 0.85 / base.height(), 1.0});
    return clampScale(fit, base);
}

QPoint initialOrigin(const QSize& size, const QPoint& pointer, const QRect& visible, int openPins)
{
    const int offset = cascadeStep * (std::max(0, openPins - 1) % cascadePositions);
    const double x = pointer.x() - size.width() / 2.0 + offset;
    const double y = pointer.y() - size.height() / 2.0 + offset;
    const double left = visible.x() + edgeMargin;
    const double right = std::max<double>(visible.x() + visible.width() - size.width() - edgeMargin, left);
    const double lowest = visible.y() + visible.height() - size.height() - edgeMargin;  // bottom side 8 inside
    const double highest = std::min<double>(visible.y() + edgeMargin, lowest);
    return {int(std::lround(std::clamp(x, left, right))), int(std::lround(std::clamp(y, highest, lowest)))};
}

}  // namespace klipo::PinGeometry
