#pragma once

#include "annotation/marks/AnnoMark.h"

namespace klipo {

// Marks that fill or outline the box of their two drag points. Their handles
// are the box corners (top left, top right, bottom right, bottom left); a
// handle moves its corner while the opposite corner of the box as it was at
// the press stays put. Shift makes the box a square.
class BoxMark : public AnnoMark {
public:
    QList<QPointF> handlePoints(const AnnoItem& item) const override;
    void resize(AnnoItem& item, const AnnoItem& atPress, int handle, QPointF q) const override;
};

class RectangleMark : public BoxMark {
public:
    // Filled: the box grown by the tolerance. Outline: the ring of the box
    // t = max(tolerance, line width) wide on each side of the edge.
    bool hitTest(const AnnoItem& item, QPointF p, double tolerance) const override;
    // The outline's outer edge lies on the box.
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;
};

// Hit-tested like a rectangle: the ring of its box, not of its curve.
class EllipseMark : public RectangleMark {
public:
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;
};

// The box in the mark's colour at 35 % opacity.
class HighlightMark : public BoxMark {
public:
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;
};

// The image's block-averaged copy shown in the box. Blocks are aligned to the
// image, not to the mark: two mosaics of one width share their block edges.
class MosaicMark : public BoxMark {
public:
    // max(4, line width × 2 rounded, halves away from zero).
    static int blockSize(double lineWidth);
    void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const override;
};

}  // namespace klipo
