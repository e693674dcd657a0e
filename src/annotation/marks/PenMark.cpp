#include "annotation/marks/PenMark.h"

#include "annotation/model/AnnoGeometry.h"

#include <QPainter>

#include <cmath>

namespace klipo {

QRectF PenMark::boundingBox(const AnnoItem& item) const
{
    if (item.points.isEmpty()) return QRectF();
    return AnnoGeometry::grown(AnnoGeometry::boundsOf(item.points), item.style.lineWidth);
}

bool PenMark::hitTest(const AnnoItem& item, QPointF p, double tolerance) const
{
    const double t = std::max(tolerance, item.style.lineWidth);
    const QList<QPointF>& pts = item.points;
    if (pts.isEmpty()) return false;
    if (pts.size() == 1) return std::hypot(p.x() - pts[0].x(), p.y() - pts[0].y()) <= t;
    for (qsizetype i = 1; i < pts.size(); ++i)
        if (AnnoGeometry::distance(p, pts[i - 1], pts[i]) <= t) return true;
    return false;
}

QPainterPath PenMark::path(const QList<QPointF>& pts)
{
    QPainterPath path;
    if (pts.isEmpty()) return path;
    path.moveTo(pts.first());
    if (pts.size() == 1) {
        path.lineTo(pts.first() + QPointF(0.1, 0.1));  // shows as a round dot
        return path;
    }
    for (qsizetype i = 1; i + 1 < pts.size(); ++i) path.quadTo(pts[i], (pts[i] + pts[i + 1]) / 2);
    path.lineTo(pts.last());
    return path;
}

void PenMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource&) const
{
    if (item.points.isEmpty()) return;
    QPen pen(item.style.color(), AnnoMarks::strokeWidth(item.style.lineWidth));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path(item.points));
}

QList<QPointF> PenMark::thin(const QList<QPointF>& points, double minimumDistance)
{
    if (points.isEmpty()) return {};
    QList<QPointF> kept{points.first()};
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QPointF d = points[i] - kept.last();
        if (std::hypot(d.x(), d.y()) >= minimumDistance) kept.append(points[i]);
    }
    if (kept.last() != points.last()) kept.append(points.last());
    return kept;
}

}  // namespace klipo
