#include "annotation/model/AnnoFonts.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPaintDevice>

#include <cmath>

namespace klipo::AnnoFonts {

namespace {
// A device on which one point is one pixel.
const QImage& reference()
{
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_ARGB32_Premultiplied);
        i.setDotsPerMeterX(2835);  // 72 dpi
        i.setDotsPerMeterY(2835);
        return i;
    }();
    return image;
}

// Keeps absurd sizes from hand-edited styles within what the font engine takes.
double sane(double pixels) { return std::isfinite(pixels) ? std::clamp(pixels, 0.5, 4000.0) : 12.0; }
}  // namespace

QFont systemFont(double pixels, QFont::Weight weight, const QPaintDevice* device)
{
    QFont font = QGuiApplication::font();
    const QPaintDevice* target = device ? device : &reference();
    const int dpi = target->logicalDpiY() > 0 ? target->logicalDpiY() : 72;
    font.setPointSizeF(sane(pixels) * 72.0 / dpi);
    font.setWeight(weight);
    return font;
}

QSizeF measure(const QString& text, double pixels, QFont::Weight weight)
{
    const QFontMetricsF metrics(systemFont(pixels, weight), &reference());
    return QSizeF(metrics.horizontalAdvance(text), metrics.height());
}

}  // namespace klipo::AnnoFonts
