#include "scroll/ScrollCaptureGeometry.h"

#include <algorithm>
#include <cmath>

namespace klipo {

QRectF ScrollTarget::globalRect() const
{
    return {screenGeometry.x() + rect.x(), screenGeometry.y() + screenGeometry.height() - rect.bottom(), rect.width(),
            rect.height()};
}

QRect ScrollTarget::pixelRect() const
{
    using ScrollCaptureGeometry::toPixels;
    const double topInPoints = screenGeometry.height() - rect.bottom();
    return {screenGeometry.x() + toPixels(rect.x(), scale), screenGeometry.y() + toPixels(topInPoints, scale),
            toPixels(rect.width(), scale), toPixels(rect.height(), scale)};
}

namespace ScrollCaptureGeometry {

int toPixels(double points, double scale) { return int(std::lround(points * scale)); }

FrameCrop frameCrop(const ScrollTarget& target, int storedCropTop, double coveredBottom)
{
    FrameCrop crop;
    crop.heightPx = toPixels(target.rect.height(), target.scale);
    crop.bottom = std::max(0, toPixels(coveredBottom, target.scale));
    crop.top = toPixels(std::max(storedCropTop, 0), target.scale);
    if (crop.top >= 1 && crop.keptRows() < minimumRowsAfterTopCrop) {
        crop.top = 0;
        crop.topIgnored = true;
    }
    crop.tooSmall = crop.keptRows() < minimumFrameRows;
    return crop;
}

double autoStepPoints(double regionHeight, int storedCropTop)
{
    const double available = std::max(regionHeight - std::max(storedCropTop, 0), 60.0);
    return std::max(std::min(available - 60.0, regionHeight / 3.0), 40.0);
}

}  // namespace ScrollCaptureGeometry
}  // namespace klipo
