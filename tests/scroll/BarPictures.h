#pragma once

#include <QImage>
#include <QPalette>
#include <QWidget>

#include <functional>

namespace klipo::test {

// A bar's content drawn off the screen at twice its size, as the interface
// snapshots draw it, under the given appearance.
inline QImage renderAt2x(QWidget* panel, QWidget* content, const QPalette& palette)
{
    panel->setPalette(palette);
    QImage image(content->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    content->render(&image);
    return image;
}

// Pixels of `area` (in points) that satisfy `test`.
inline int countPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test)
{
    int count = 0;
    const QRect px(area.topLeft() * 2, area.size() * 2);
    for (int y = px.top(); y <= px.bottom(); ++y)
        for (int x = px.left(); x <= px.right(); ++x)
            if (image.rect().contains(x, y) && test(image.pixelColor(x, y))) ++count;
    return count;
}

inline bool isLight(QColor c) { return c.alpha() > 200 && c.lightness() > 170; }

}  // namespace klipo::test
