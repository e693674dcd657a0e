#pragma once

#include "annotation/marks/AnnoMark.h"

#include <QPainterPath>

namespace klipo {

// A free-hand stroke through `points`, smoothed with quadratic curves through
// the midpoints and stroked once (crossings do not darken a translucent colour).
class PenMark : public AnnoMark {
public:
    // All points grown by the line width; the zero rectangle without points.
    QRectF boundingBox(const AnnoItem& item) const override;
    // Within max(tolerance, line width) of the stroke's segments.
    bool hitTest(const AnnoItem& item, QPointF p, double tolerance) const override;
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;

    static QPainterPath path(const QList<QPointF>& points);
    // Keeps the first point and each next one at least `minimumDistance` from
    // the last kept; the last point always survives.
    static QList<QPointF> thin(const QList<QPointF>& points, double minimumDistance);
};

}  // namespace klipo
