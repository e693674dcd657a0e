#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace klipo {

// Where the canvas shows the crop and how view points and image pixels map.
// Window mode fits the crop into the bounds less a 14-point margin, centred,
// never enlarged; inline mode shows the crop over the whole bounds. One scale
// serves both axes.
struct AnnoDisplayMapping {
    QRectF displayRect;  // view points; empty when nothing can be shown
    QRectF crop;         // image pixels
    double scale = 1;    // view points per image pixel

    static AnnoDisplayMapping compute(const QSizeF& bounds, const QRectF& crop, bool isInline);

    QPointF viewPoint(QPointF imagePx) const;
    QPointF imagePoint(QPointF viewPt) const;
    // An image rectangle in view points (origin mapped, size scaled).
    QRectF viewRect(const QRectF& imageRect) const;
    // Where the whole image of the given pixel size lies in view points.
    QRectF imageRectInView(const QSizeF& imagePx) const;
    // Turns the painter's space into image pixels (after any clipping).
    void applyTo(QPainter& painter) const;

    // 8 × 8-point squares centred on the handle points (image pixels).
    QList<QRectF> handleRects(const QList<QPointF>& handlePoints) const;
};

}  // namespace klipo
