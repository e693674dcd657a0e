#include "recording/RecGeometry.h"

#include <algorithm>
#include <cmath>

namespace klipo::RecGeometry {

int evenPixels(double points, double scale)
{
    const double pixels = std::round(points * scale);  // halves away from zero
    const long long atLeastTwo = std::max<long long>(2, std::isfinite(pixels) ? (long long)pixels : 2);
    return int(std::min<long long>(atLeastTwo, 1 << 16) & ~1LL);
}

QSize outputSize(const RecTarget& target)
{
    return QSize(evenPixels(target.rect.width(), target.scale), evenPixels(target.rect.height(), target.scale));
}

QRect pixelRect(const RecTarget& target)
{
    // From the lower-left based region to the top-left based screen.
    const double topInPoints = target.screenGeometry.height() - target.rect.bottom();
    const QPoint origin = target.screenGeometry.topLeft() +
                          QPoint(int(std::lround(target.rect.left() * target.scale)),
                                 int(std::lround(topInPoints * target.scale)));
    return QRect(origin, outputSize(target));
}

std::int64_t bitRate(int width, int height, int fps)
{
    const double rate = double(std::int64_t(width) * height) * 0.1 * fps;
    return std::max<std::int64_t>(1000000, std::int64_t(rate));
}

QString encoderPreset(int width, int height, int fps, int cpus)
{
    // Pixels a second one processor encodes with each preset (screen content
    // at 1080p, measured on a loaded 8-core machine, rounded down), and twice
    // the need as margin for the grab, the colour conversion and whatever
    // else the desktop runs.
    struct Speed {
        const char* preset;
        double pixelsPerCpuSecond;
    };
    static constexpr Speed speeds[] = {{"veryfast", 25e6}, {"superfast", 30e6}};
    const double need = 2.0 * double(width) * height * fps;
    for (const Speed& speed : speeds)
        if (speed.pixelsPerCpuSecond * std::max(1, cpus) >= need) return QString::fromLatin1(speed.preset);
    return QStringLiteral("ultrafast");
}

}  // namespace klipo::RecGeometry
