#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <optional>

// The geometry of the remembered area and of its selection.
//
// The area is kept in its stored form: points, origin at the bottom-left
// corner of the primary screen, y growing up. Qt's global coordinates have
// their origin at the top left of the desktop and y growing down; the two
// meet only in toStored() and toGlobal().
namespace klipo::QuickArea {

// A selection narrower or lower than this (points) does not count.
inline constexpr double minimumSide = 4.0;

QRectF toStored(const QRectF& globalPt, const QRect& primaryGeometry);
QRectF toGlobal(const QRectF& storedPt, const QRect& primaryGeometry);

// The smallest rectangle with whole-number edges that holds `r`; none when it
// is under one point either way or too far out to be on any screen.
std::optional<QRect> wholePoints(const QRectF& r);

// The rectangle a drag spans from `anchor` to `current`.
QRectF spanned(const QPointF& anchor, const QPointF& current);
bool isLargeEnough(const QRectF& r);

// "W × H", each side truncated to whole points.
QString sizeLabel(const QRectF& selection);
// Where the size label's text goes (top left, view coordinates): 8 below the
// selection, or 8 inside its bottom edge when it would come within 4 of the
// view's bottom.
QPointF labelOrigin(const QRectF& selection, const QSizeF& textSize, const QRectF& bounds);

}  // namespace klipo::QuickArea
