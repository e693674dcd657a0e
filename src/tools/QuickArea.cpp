#include "tools/QuickArea.h"

#include <cmath>

namespace klipo::QuickArea {

QRectF toStored(const QRectF& globalPt, const QRect& primaryGeometry)
{
    const double primaryBottom = primaryGeometry.y() + primaryGeometry.height();
    return {globalPt.x() - primaryGeometry.x(), primaryBottom - (globalPt.y() + globalPt.height()), globalPt.width(),
            globalPt.height()};
}

QRectF toGlobal(const QRectF& storedPt, const QRect& primaryGeometry)
{
    const double primaryBottom = primaryGeometry.y() + primaryGeometry.height();
    return {storedPt.x() + primaryGeometry.x(), primaryBottom - storedPt.y() - storedPt.height(), storedPt.width(),
            storedPt.height()};
}

std::optional<QRect> wholePoints(const QRectF& r)
{
    // Far beyond any desktop; also keeps the integer edges from overflowing.
    constexpr double limit = 1e7;
    for (double v : {r.left(), r.top(), r.right(), r.bottom()})
        if (!std::isfinite(v) || std::abs(v) > limit) return std::nullopt;
    const int left = int(std::floor(r.left()));
    const int top = int(std::floor(r.top()));
    const int right = int(std::ceil(r.right()));
    const int bottom = int(std::ceil(r.bottom()));
    if (right - left < 1 || bottom - top < 1) return std::nullopt;
    return QRect(left, top, right - left, bottom - top);
}

QRectF spanned(const QPointF& anchor, const QPointF& current)
{
    return {std::min(anchor.x(), current.x()), std::min(anchor.y(), current.y()), std::abs(current.x() - anchor.x()),
            std::abs(current.y() - anchor.y())};
}

bool isLargeEnough(const QRectF& r) { return r.width() >= minimumSide && r.height() >= minimumSide; }

QString sizeLabel(const QRectF& selection)
{
    return QStringLiteral("%1 × %2").arg(qint64(selection.width())).arg(qint64(selection.height()));
}

QPointF labelOrigin(const QRectF& selection, const QSizeF& textSize, const QRectF& bounds)
{
    double y = selection.bottom() + 8;
    if (y + textSize.height() > bounds.bottom() - 4) y = selection.bottom() - textSize.height() - 8;
    return {selection.left() + 6, y};
}

}  // namespace klipo::QuickArea
