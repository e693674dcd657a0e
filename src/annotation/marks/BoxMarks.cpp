#include "annotation/marks/BoxMarks.h"

#include "annotation/model/AnnoGeometry.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace klipo {

namespace {
QRectF boxOf(const AnnoItem& item) { return AnnoGeometry::box(item.start, item.end); }

// The box shrunk by half the stroke, so the stroke's outer edge lies on the
// box; none when the stroke would cover the whole box anyway.
std::optional<QRectF> strokePath(const QRectF& box, double width)
{
    const QRectF inner = AnnoGeometry::grown(box, -width / 2);
    if (inner.width() <= 0 || inner.height() <= 0) return std::nullopt;
    return inner;
}

QPen outlinePen(const AnnoItem& item)
{
    QPen pen(item.style.color(), AnnoMarks::strokeWidth(item.style.lineWidth));
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}
}  // namespace

QList<QPointF> BoxMark::handlePoints(const AnnoItem& item) const
{
    const QRectF b = boxOf(item);
    return {b.topLeft(), b.topRight(), b.bottomRight(), b.bottomLeft()};
}

void BoxMark::resize(AnnoItem& item, const AnnoItem& atPress, int handle, QPointF q) const
{
    const QRectF b = boxOf(atPress);
    QPointF fixed;
    switch (handle) {
    case 0: fixed = b.bottomRight(); break;
    case 1: fixed = b.bottomLeft(); break;
    case 2: fixed = b.topLeft(); break;
    case 3: fixed = b.topRight(); break;
    default: return;
    }
    const QRectF r = AnnoGeometry::box(q, fixed);
    item.start = r.topLeft();
    item.end = r.bottomRight();
}

bool RectangleMark::hitTest(const AnnoItem& item, QPointF p, double tolerance) const
{
    const QRectF b = boundingBox(item);
    if (item.style.filled) return AnnoGeometry::contains(AnnoGeometry::grown(b, tolerance), p);
    const double t = std::max(tolerance, item.style.lineWidth);
    return AnnoGeometry::contains(AnnoGeometry::grown(b, t), p) && !AnnoGeometry::contains(AnnoGeometry::grown(b, -t), p);
}

void RectangleMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource&) const
{
    const QRectF b = boxOf(item);
    if (b.width() <= 0.5 || b.height() <= 0.5) return;
    const QPen pen = outlinePen(item);
    const auto inner = strokePath(b, pen.widthF());
    if (item.style.filled || !inner) {
        painter.fillRect(b, item.style.color());
        return;
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(*inner);
}

void EllipseMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource&) const
{
    const QRectF b = boxOf(item);
    if (b.width() <= 0.5 || b.height() <= 0.5) return;
    const QPen pen = outlinePen(item);
    const auto inner = strokePath(b, pen.widthF());
    if (item.style.filled || !inner) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(item.style.color());
        painter.drawEllipse(b);
        return;
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(*inner);
}

void HighlightMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource&) const
{
    const QRectF b = boxOf(item);
    if (b.width() <= 0.5 || b.height() <= 0.5) return;
    QColor color = item.style.color();
    color.setAlphaF(0.35f);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(b, color);
}

int MosaicMark::blockSize(double lineWidth)
{
    const double doubled = std::round(lineWidth * 2);
    if (!(doubled > 4)) return 4;  // also catches NaN
    return doubled > 1e6 ? 1000000 : int(doubled);
}

void MosaicMark::draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const
{
    const QRectF b = boxOf(item);
    if (b.width() <= 1 || b.height() <= 1) return;
    const QImage* small = mosaic.pixelated(blockSize(item.style.lineWidth));
    const QSize full = mosaic.imageSize();
    if (!small || small->isNull() || full.isEmpty()) return;
    // Only the blocks under the box are drawn, each stretched without filtering.
    const double bw = double(full.width()) / small->width();
    const double bh = double(full.height()) / small->height();
    const int c0 = std::clamp(int(std::floor(b.left() / bw)), 0, small->width());
    const int c1 = std::clamp(int(std::ceil(b.right() / bw)), 0, small->width());
    const int r0 = std::clamp(int(std::floor(b.top() / bh)), 0, small->height());
    const int r1 = std::clamp(int(std::ceil(b.bottom() / bh)), 0, small->height());
    if (c1 <= c0 || r1 <= r0) return;
    painter.setClipRect(b, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRectF(c0 * bw, r0 * bh, (c1 - c0) * bw, (r1 - r0) * bh), *small,
                      QRectF(c0, r0, c1 - c0, r1 - r0));
}

}  // namespace klipo
