#pragma once

#include "annotation/marks/AnnoMark.h"

#include <QPolygonF>

namespace klipo {

// Marks drawn from `start` (tail) to `end` (head). Their box is grown by the
// line width, a click within max(tolerance, line width) of the segment picks
// them, handle 0 moves the tail and handle 1 the head, and Shift snaps the
// direction to the nearest 45° keeping the length.
class SegmentMark : public AnnoMark {
public:
    QRectF boundingBox(const AnnoItem& item) const override;
    bool hitTest(const AnnoItem& item, QPointF p, double tolerance) const override;
    QList<QPointF> handlePoints(const AnnoItem& item) const override;
    void resize(AnnoItem& item, const AnnoItem& atPress, int handle, QPointF q) const override;
    QPointF constrain(QPointF q, QPointF o) const override;
};

// A straight stroke with round caps, whatever its length.
class LineMark : public SegmentMark {
public:
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;
};

// A shaft ending inside a filled triangular head. The head is
// min(max(14, width × 3.2), length) long with a half-angle of π/7.
class ArrowMark : public SegmentMark {
public:
    struct Shape {
        double headLength = 0;
        QPointF shaftEnd;
        QPolygonF head;
    };
    // None for arrows 1 pixel long or shorter, which are not drawn.
    static std::optional<Shape> shape(const AnnoItem& item);
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;
};

}  // namespace klipo
