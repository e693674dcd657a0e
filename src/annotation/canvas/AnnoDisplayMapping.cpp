#include "annotation/canvas/AnnoDisplayMapping.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace klipo {

namespace {
constexpr double kWindowMargin = 14;
constexpr double kHandleSide = 8;
}  // namespace

AnnoDisplayMapping AnnoDisplayMapping::compute(const QSizeF& bounds, const QRectF& crop, bool isInline)
{
    AnnoDisplayMapping m;
    m.crop = crop;
    if (isInline) {
        if (crop.width() > 0 && crop.height() > 0 && bounds.width() > 0 && bounds.height() > 0)
            m.displayRect = QRectF(QPointF(0, 0), bounds);
    } else {
        const QRectF area(kWindowMargin, kWindowMargin, bounds.width() - 2 * kWindowMargin,
                          bounds.height() - 2 * kWindowMargin);
        if (crop.width() > 0 && crop.height() > 0 && area.width() > 0 && area.height() > 0) {
            const double s = std::min({area.width() / crop.width(), area.height() / crop.height(), 1.0});
            const QSizeF size(crop.width() * s, crop.height() * s);
            m.displayRect = QRectF(std::round(area.center().x() - size.width() / 2),
                                   std::round(area.center().y() - size.height() / 2), size.width(), size.height());
        }
    }
    if (crop.width() > 0) {
        const double s = m.displayRect.width() / crop.width();
        if (s > 0) m.scale = s;
    }
    return m;
}

QPointF AnnoDisplayMapping::viewPoint(QPointF p) const
{
    return QPointF(displayRect.left() + scale * (p.x() - crop.left()), displayRect.top() + scale * (p.y() - crop.top()));
}

QPointF AnnoDisplayMapping::imagePoint(QPointF v) const
{
    return QPointF(crop.left() + (v.x() - displayRect.left()) / scale, crop.top() + (v.y() - displayRect.top()) / scale);
}

QRectF AnnoDisplayMapping::viewRect(const QRectF& r) const
{
    return QRectF(viewPoint(r.topLeft()), r.size() * scale);
}

QRectF AnnoDisplayMapping::imageRectInView(const QSizeF& imagePx) const
{
    return QRectF(displayRect.left() - scale * crop.left(), displayRect.top() - scale * crop.top(),
                  scale * imagePx.width(), scale * imagePx.height());
}

void AnnoDisplayMapping::applyTo(QPainter& painter) const
{
    painter.translate(displayRect.topLeft());
    painter.scale(scale, scale);
    painter.translate(-crop.topLeft());
}

QList<QRectF> AnnoDisplayMapping::handleRects(const QList<QPointF>& handlePoints) const
{
    QList<QRectF> rects;
    for (const QPointF& p : handlePoints) {
        const QPointF v = viewPoint(p);
        rects.append(QRectF(v.x() - kHandleSide / 2, v.y() - kHandleSide / 2, kHandleSide, kHandleSide));
    }
    return rects;
}

}  // namespace klipo
