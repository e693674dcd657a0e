#pragma once

#include "annotation/model/AnnoStyle.h"
#include "annotation/model/AnnoTool.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QUuid>

namespace klipo {

// One mark on the image. All geometry is in image pixels, origin top left,
// y down. `start` and `end` are the two drag points (box corners, a line's
// tail and head, the top left of a text, the centre of a number badge); a pen
// mark keeps its stroke in `points`.
struct AnnoItem {
    QUuid id;
    AnnoTool tool = AnnoTool::select;
    AnnoStyle style;
    QPointF start;
    QPointF end;
    QList<QPointF> points;
    QString text;
    int number = 0;

    // A new mark of the tool with a fresh identity and its own copy of the style.
    static AnnoItem make(AnnoTool tool, const AnnoStyle& style);

    // Moves start, end and every stroke point.
    void translate(double dx, double dy);
    // The size of the text in the system font at the style's font size (bold
    // for numbers, semibold otherwise); an empty text measures as one space;
    // each side at least 8.
    QSizeF textSize() const;
    // The area the mark covers.
    QRectF boundingBox() const;
    // Whether a click at p (image pixels) within the tolerance picks the mark.
    bool hitTest(QPointF p, double tolerance) const;

    bool operator==(const AnnoItem&) const = default;
};

}  // namespace klipo
