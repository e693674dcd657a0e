#pragma once

#include "annotation/model/AnnoItem.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>

class QImage;
class QPainter;

namespace klipo {

// Where a mosaic takes its pixels from: the annotated image's size and its
// block-averaged copy for a block size (none when it cannot be made).
class AnnoMosaicSource {
public:
    virtual ~AnnoMosaicSource() = default;
    virtual QSize imageSize() const = 0;
    virtual const QImage* pixelated(int block) = 0;
};

// What one kind of mark knows about itself: the area it covers, whether a
// click picks it, how it is drawn, its handles and how a handle reshapes it,
// and how Shift constrains a drag. One class per tool, looked up with
// AnnoMarks::forTool. Drawing happens in image pixels (y down) on a painter
// whose state the caller saves and restores around each mark.
class AnnoMark {
public:
    virtual ~AnnoMark() = default;

    // Default: the box of start and end.
    virtual QRectF boundingBox(const AnnoItem& item) const;
    // Default: the bounding box grown by the tolerance holds the point.
    virtual bool hitTest(const AnnoItem& item, QPointF p, double tolerance) const;
    // Default: draws nothing.
    virtual void draw(const AnnoItem& item, QPainter& painter, AnnoMosaicSource& mosaic) const;
    // Handle points in handle order; none by default.
    virtual QList<QPointF> handlePoints(const AnnoItem& item) const;
    // Reshapes `item` for handle `handle` dragged to q, working from the mark
    // as it was when the drag began (`atPress`). Default: no change.
    virtual void resize(AnnoItem& item, const AnnoItem& atPress, int handle, QPointF q) const;
    // The drag point q from origin o with Shift held. Default: a square.
    virtual QPointF constrain(QPointF q, QPointF o) const;
};

namespace AnnoMarks {
const AnnoMark& forTool(AnnoTool tool);
// A stroke width the painter can use: hand-made styles may hold nonsense.
double strokeWidth(double lineWidth);
}  // namespace AnnoMarks

}  // namespace klipo
