#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

class QScreen;

namespace klipo {

// The one place where one screen's points meet its device pixels. A screen
// covers `geometryPt` in global logical coordinates; its still is `imagePx`
// large; its top-left corner lies at `nativeOriginPx` in root-window pixels
// (Qt keeps a screen's corner unscaled). Local points are the overlay
// window's own: origin at the screen's top-left corner, y down.
class SelScreenSpace {
public:
    SelScreenSpace() = default;
    SelScreenSpace(const QRect& geometryPt, const QPoint& nativeOriginPx, const QSize& imagePx);
    static SelScreenSpace forScreen(const QScreen* screen, const QSize& imagePx);

    QRect geometryPt() const { return m_geometry; }
    QSize imagePx() const { return m_image; }
    bool isValid() const { return m_geometry.width() > 0 && m_geometry.height() > 0 && !m_image.isEmpty(); }

    // Image pixels per point on each axis (1 for an invalid space).
    double scaleX() const;
    double scaleY() const;

    // The pixels of the still under a local rectangle: every pixel it touches
    // (rounded outwards), cut to the still. Empty when it leaves less than one
    // pixel either way.
    QRect cropRectPx(const QRectF& localPt) const;

    // Root-window pixels and local points.
    QPointF localToNativePx(const QPointF& localPt) const;
    QRectF nativePxToLocal(const QRect& nativePx) const;
    QRect nativeRectPx() const { return {m_native, m_image}; }

    // One device pixel in points on each axis: the arrow keys' step.
    double pixelStepX() const { return 1.0 / scaleX(); }
    double pixelStepY() const { return 1.0 / scaleY(); }

    // Whether a copy brought down to one pixel per point would lose pixels:
    // true above 1.5 pixels per point.
    bool isHighDensity() const { return scaleX() > 1.5; }

private:
    QRect m_geometry;
    QPoint m_native;
    QSize m_image;
};

}  // namespace klipo
