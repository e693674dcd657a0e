#pragma once

// What the headless desktop's screen shows, read back pixel by pixel.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

namespace klipo::test {

// The screen's pixels in `area` (global points; the whole screen when empty).
inline QImage screenImage(QRect area = {})
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (area.isEmpty()) area = screen->geometry();
    return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}
inline QImage screenImage(const QWidget* widget, const QMargins& inset = {})
{
    return screenImage(QRect(widget->mapToGlobal(QPoint()), widget->size()) - inset);
}

// Pixels that differ between two images of one size, `inset` in from the edges (-1: sizes differ).
inline int differingPixels(const QImage& a, const QImage& b, int inset = 0)
{
    if (a.size() != b.size()) return -1;
    int count = 0;
    for (int y = inset; y < a.height() - inset; ++y)
        for (int x = inset; x < a.width() - inset; ++x) count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}
// Pixels whose red, green and blue differ from `colour`'s by more than `tolerance` together.
inline int pixelsUnlike(const QImage& image, const QColor& colour, int tolerance = 0)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            count += std::abs(qRed(c) - colour.red()) + std::abs(qGreen(c) - colour.green()) +
                         std::abs(qBlue(c) - colour.blue()) >
                     tolerance;
        }
    return count;
}

}  // namespace klipo::test
