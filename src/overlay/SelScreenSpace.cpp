#include "overlay/SelScreenSpace.h"

#include <QScreen>

#include <cmath>

namespace klipo {

SelScreenSpace::SelScreenSpace(const QRect& geometryPt, const QPoint& nativeOriginPx, const QSize& imagePx)
    : m_geometry(geometryPt), m_native(nativeOriginPx), m_image(imagePx)
{
}

SelScreenSpace SelScreenSpace::forScreen(const QScreen* screen, const QSize& imagePx)
{
    if (!screen) return {};
    return {screen->geometry(), screen->geometry().topLeft(), imagePx};
}

double SelScreenSpace::scaleX() const
{
    return isValid() ? double(m_image.width()) / m_geometry.width() : 1.0;
}

double SelScreenSpace::scaleY() const
{
    return isValid() ? double(m_image.height()) / m_geometry.height() : 1.0;
}

QRect SelScreenSpace::cropRectPx(const QRectF& localPt) const
{
    if (!isValid() || !localPt.isValid()) return {};
    const double sx = scaleX();
    const double sy = scaleY();
    // Rounded outwards; the small tolerance keeps 0.9999999 from growing a
    // whole pixel when points times scale should be whole.
    constexpr double eps = 1e-6;
    const int left = int(std::floor(localPt.left() * sx + eps));
    const int top = int(std::floor(localPt.top() * sy + eps));
    const int right = int(std::ceil(localPt.right() * sx - eps));
    const int bottom = int(std::ceil(localPt.bottom() * sy - eps));
    const QRect pixels = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(QRect({0, 0}, m_image));
    if (pixels.width() < 1 || pixels.height() < 1) return {};
    return pixels;
}

QPointF SelScreenSpace::localToNativePx(const QPointF& localPt) const
{
    return {m_native.x() + localPt.x() * scaleX(), m_native.y() + localPt.y() * scaleY()};
}

QRectF SelScreenSpace::nativePxToLocal(const QRect& nativePx) const
{
    return {(nativePx.x() - m_native.x()) / scaleX(), (nativePx.y() - m_native.y()) / scaleY(),
            nativePx.width() / scaleX(), nativePx.height() / scaleY()};
}

}  // namespace klipo
