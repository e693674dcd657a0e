#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

// Geometry shared by marks, the renderer and the canvas. Rectangles follow one
// rule throughout: a point on the minimum edges is inside, a point on the
// maximum edges is outside, and a rectangle without area holds no point.
namespace klipo::AnnoGeometry {

// Distance from p to the segment a-b (to a when the segment has no length).
double distance(QPointF p, QPointF a, QPointF b);

// The rectangle of two corners given in any order.
QRectF box(QPointF a, QPointF b);

// Whether the rectangle holds the point (minimum edges in, maximum edges out).
bool contains(const QRectF& rect, QPointF p);

// Moves every edge outwards by d (inwards when d is negative). Shrinking past
// nothing gives an empty rectangle, which holds no point.
QRectF grown(const QRectF& rect, double d);

// The smallest rectangle with whole-number edges that holds the rectangle.
QRectF integral(const QRectF& rect);

// The smallest rectangle that holds every point.
QRectF boundsOf(const QList<QPointF>& points);

}  // namespace klipo::AnnoGeometry
