#include "annotation/model/AnnoStyle.h"

#include <algorithm>
#include <cmath>

namespace klipo {

void AnnoStyle::apply(const QColor& color)
{
    const QColor rgb = color.isValid() ? color.toRgb() : QColor();
    if (!rgb.isValid()) {
        red = 1;
        green = 0;
        blue = 0;
        alpha = 1;
        return;
    }
    red = rgb.redF();
    green = rgb.greenF();
    blue = rgb.blueF();
    alpha = rgb.alphaF();
}

QColor AnnoStyle::color() const
{
    const auto unit = [](double v) { return std::isfinite(v) ? float(std::clamp(v, 0.0, 1.0)) : 0.0f; };
    return QColor::fromRgbF(unit(red), unit(green), unit(blue), unit(alpha));
}

}  // namespace klipo
