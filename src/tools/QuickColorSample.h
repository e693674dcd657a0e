#pragma once

#include "app/SettingsTypes.h"

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// What the colour picker reads and shows: the colour texts, one screen's
// frozen picture with its pixel look-up, and where the magnifier goes.
namespace klipo {

// "#1A2B3C", "rgb(26, 43, 60)" or "rgba(26, 43, 60, 1)".
QString colorText(QuickColorFormat format, int red, int green, int blue);
// "HEX", "RGB", "RGBA".
QString formatName(QuickColorFormat format);
// hex → rgb → rgba → hex.
QuickColorFormat nextFormat(QuickColorFormat format);

// One screen frozen for picking: its frame in global logical coordinates and
// its picture, once as grabbed (for display) and once as a non-premultiplied
// RGBA copy whose bytes are read for the colour.
class QuickScreenSample {
public:
    // None when the picture is empty or the frame has no area.
    static std::optional<QuickScreenSample> make(const QRectF& screenFrame, const QImage& imagePx);

    const QRectF& screenFrame() const { return m_frame; }
    const QImage& image() const { return m_image; }
    int pixelWidth() const { return m_rgba.width(); }
    int pixelHeight() const { return m_rgba.height(); }

    // The pixel (rows from the top) under a global point; none outside the
    // picture, the frame's right and bottom edges included.
    std::optional<QPoint> pixelPoint(const QPointF& global) const;
    // The red, green and blue bytes of a pixel; none out of range.
    std::optional<std::array<std::uint8_t, 3>> rgb(int x, int y) const;

private:
    QRectF m_frame;
    QImage m_image;
    QImage m_rgba;
};

// The magnifier's top-left corner in its screen's own coordinates: 20 to the
// right of and below the pointer, left of it near the right edge, above it
// near the bottom edge, and always 8 from every edge.
QPointF magnifierOrigin(const QPointF& mouse, const QRectF& screenFrame, const QSizeF& size);

}  // namespace klipo
