#include "annotation/window/AnnoWindowSizing.h"

#include <algorithm>
#include <cmath>

namespace klipo::AnnoWindowSizing {

QSize contentSize(const QSize& imagePx, double scale, const std::optional<QRect>& visibleArea)
{
    const double s = scale > 0 && std::isfinite(scale) ? scale : 2.0;
    const double w = imagePx.width() / s;
    const double h = imagePx.height() / s;
    const double availW = visibleArea ? 0.9 * visibleArea->width() - chromeWidth : 1268;
    const double availH = visibleArea ? 0.9 * visibleArea->height() - chromeHeight : 640;
    const double fit = std::max(0.0, std::min({1.0, availW / std::max(w, 1.0), availH / std::max(h, 1.0)}));
    const int width = int(std::ceil(w * fit)) + chromeWidth;
    const int height = int(std::ceil(h * fit)) + chromeHeight;
    return {std::max(width, minimumContent.width()), std::max(height, minimumContent.height())};
}

}  // namespace klipo::AnnoWindowSizing
