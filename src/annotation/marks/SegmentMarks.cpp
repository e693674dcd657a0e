#include "annotation/marks/SegmentMarks.h"

#include "annotation/model/AnnoGeometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace klipo {

namespace {
QPen strokePen(const AnnoItem& item)
{
    QPen pen(item.style.color(), AnnoMarks::strokeWidth(item.style.lineWidth));
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}
}  // namespace

QRectF SegmentMark::boundingBox(const AnnoItem& item) const
{
    return AnnoGeometry::grown(AnnoGeometry::box(item.start, item.end), item.style.lineWidth);
}

bool SegmentMark::hitTest(const AnnoItem& item, QPointF p, double tolerance) const
{
    return AnnoGeometry::distance(p, item.start, item.end) <= std::max(tolerance, item.style.lineWidth);
}

QList<QPointF> SegmentMark::handlePoints(const AnnoItem& item) const { return {item.start, item.end}; }

void SegmentMark::resize(AnnoItem& item, const AnnoItem&, int handle, QPointF q) const
{
    (handle == 0 ? item.start : item.end) = q;
}

QPointF SegmentMark::constrain(QPointF q, QPointF o) const
{
    const QPointF d = q - o;
    const double eighth = std::numbers::pi / 4;
    const double angle = std::round(std::atan2(d.y(), d.x()) / eighth) * eighth;
    const double length = std::hypot(d.x(), d.y());
    return o + QPointF(length * std::cos(angle), length * std::sin(angle));
}

void LineMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource&) const
{
    painter.setPen(strokePen(item));
    painter.drawLine(item.start, item.end);
}

std::optional<ArrowMark::Shape> ArrowMark::shape(const AnnoItem& item)
{
    const QPointF d = item.end - item.start;
    const double length = std::hypot(d.x(), d.y());
    if (!(length > 1)) return std::nullopt;
    Shape s;
    s.headLength = std::min(std::max(14.0, item.style.lineWidth * 3.2), length);
    const double a = std::atan2(d.y(), d.x());
    const double half = std::numbers::pi / 7;
    const double h = s.headLength;
    s.shaftEnd = item.end - 0.75 * h * QPointF(std::cos(a), std::sin(a));
    s.head << item.end << item.end - h * QPointF(std::cos(a - half), std::sin(a - half))
           << item.end - h * QPointF(std::cos(a + half), std::sin(a + half));
    return s;
}

void ArrowMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource&) const
{
    const auto s = shape(item);
    if (!s) return;
    painter.setPen(strokePen(item));
    painter.drawLine(item.start, s->shaftEnd);
    painter.setPen(Qt::NoPen);
    painter.setBrush(item.style.color());
    painter.drawPolygon(s->head, Qt::WindingFill);
}

}  // namespace klipo
