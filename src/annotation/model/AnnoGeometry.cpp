#include "annotation/model/AnnoGeometry.h"

#include <algorithm>
#include <cmath>

namespace klipo::AnnoGeometry {

double distance(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double lengthSquared = d.x() * d.x() + d.y() * d.y();
    QPointF nearest = a;
    if (lengthSquared > 0.0001) {
        const double s = std::clamp(((p.x() - a.x()) * d.x() + (p.y() - a.y()) * d.y()) / lengthSquared, 0.0, 1.0);
        nearest = a + s * d;
    }
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

QRectF box(QPointF a, QPointF b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()), std::abs(a.y() - b.y()));
}

bool contains(const QRectF& rect, QPointF p)
{
    if (!(rect.width() > 0) || !(rect.height() > 0)) return false;
    return p.x() >= rect.left() && p.x() < rect.right() && p.y() >= rect.top() && p.y() < rect.bottom();
}

QRectF grown(const QRectF& rect, double d)
{
    const double w = rect.width() + 2 * d;
    const double h = rect.height() + 2 * d;
    if (w < 0 || h < 0) return QRectF();
    return QRectF(rect.x() - d, rect.y() - d, w, h);
}

QRectF integral(const QRectF& rect)
{
    const double left = std::floor(rect.left());
    const double top = std::floor(rect.top());
    return QRectF(left, top, std::ceil(rect.right()) - left, std::ceil(rect.bottom()) - top);
}

QRectF boundsOf(const QList<QPointF>& points)
{
    if (points.isEmpty()) return QRectF();
    double minX = points.first().x(), maxX = minX, minY = points.first().y(), maxY = minY;
    for (const QPointF& p : points) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}

}  // namespace klipo::AnnoGeometry
