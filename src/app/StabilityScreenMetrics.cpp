#include "app/StabilityScreenMetrics.h"

#include "platform/PlatformServices.h"

#include <algorithm>
#include <cmath>

namespace klipo::StabilityScreenMetrics {

std::optional<platform::ScreenInfo> screenUnderMouse()
{
    const platform::ScreenMetrics* screens = platform::services().screens;
    return screens ? screens->screenUnderPointer() : std::nullopt;
}

int displayIndexUnderMouse()
{
    const platform::ScreenMetrics* screens = platform::services().screens;
    return screens ? screens->displayIndexUnderPointer() : 1;
}

std::optional<double> scale(int pixelWidth, double pointWidth)
{
    if (pixelWidth < 1 || !(pointWidth > 0.0) || !std::isfinite(pointWidth)) return std::nullopt;
    const double halves = std::round(pixelWidth / pointWidth * 2.0) / 2.0;
    return std::clamp(halves, 1.0, 4.0);
}

std::optional<double> scale(const QImage& image)
{
    if (image.isNull()) return std::nullopt;
    return scale(image.width(), image.deviceIndependentSize().width());
}

double inferredScale(const QImage& bitmap)
{
    if (const platform::ScreenMetrics* screens = platform::services().screens) {
        for (const platform::ScreenInfo& screen : screens->screens())
            if (screen.pixelSize() == bitmap.size()) return screen.devicePixelRatio;
        if (auto pointer = screens->screenUnderPointer()) return pointer->devicePixelRatio;
    }
    return 1.0;
}

}  // namespace klipo::StabilityScreenMetrics
