#include "app/HUDColors.h"

namespace klipo::HUDColors {

bool isDark(const QPalette& palette) { return palette.color(QPalette::Window).lightnessF() < 0.5; }

QColor separator(const QPalette& palette)
{
    return isDark(palette) ? QColor(255, 255, 255, 26) : QColor(0, 0, 0, 26);
}

QColor label(const QPalette& palette)
{
    return isDark(palette) ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
}

QColor quaternaryLabel(const QPalette& palette)
{
    return isDark(palette) ? QColor(255, 255, 255, 26) : QColor(0, 0, 0, 26);
}

QColor material(bool behindWindow)
{
    // Without a blur behind other windows the fill stays more opaque so text
    // on it stays readable over any desktop.
    return behindWindow ? QColor(30, 30, 32, 235) : QColor(30, 30, 32, 215);
}

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

}  // namespace klipo::HUDColors
