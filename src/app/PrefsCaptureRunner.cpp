#include "app/PrefsCaptureRunner.h"

#include "app/ScreenshotRun.h"

#include <cmath>

namespace klipo::PrefsCaptureRunner {

platform::CaptureOutcome capture(CaptureService::Mode mode, bool includeCursor)
{
    platform::CaptureOptions options;
    options.interactive = mode == CaptureService::Mode::interactive;
    options.includeCursor = includeCursor;
    return ScreenshotRun::run(options);
}

QImage downscale(const QImage& image, double factor)
{
    if (!(factor > 1.0) || image.isNull()) return image;
    const double w = std::round(image.width() / factor);
    const double h = std::round(image.height() / factor);
    if (!(w >= 1.0) || !(h >= 1.0)) return image;

    // Qt's smooth scaling averages every source pixel when shrinking.
    QImage source = image;
    source.setDevicePixelRatio(1.0);
    QImage out = source.scaled(int(w), int(h), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) return image;
    return out;
}

}  // namespace klipo::PrefsCaptureRunner
