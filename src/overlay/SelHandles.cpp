#include "overlay/SelHandles.h"

#include <algorithm>
#include <cmath>

namespace klipo::SelHandles {

QPointF point(SelHandle handle, const QRectF& r)
{
    const double midX = r.center().x();
    const double midY = r.center().y();
    switch (handle) {
    case SelHandle::topLeft: return {r.left(), r.top()};
    case SelHandle::top: return {midX, r.top()};
    case SelHandle::topRight: return {r.right(), r.top()};
    case SelHandle::right: return {r.right(), midY};
    case SelHandle::bottomRight: return {r.right(), r.bottom()};
    case SelHandle::bottom: return {midX, r.bottom()};
    case SelHandle::bottomLeft: return {r.left(), r.bottom()};
    case SelHandle::left: return {r.left(), midY};
    }
    return r.topLeft();
}

std::optional<SelHandle> hitTest(const QPointF& p, const QRectF& rect)
{
    for (SelHandle h : all) {
        const QPointF q = point(h, rect);
        if (std::abs(q.x() - p.x()) <= hitDistance && std::abs(q.y() - p.y()) <= hitDistance) return h;
    }
    return std::nullopt;
}

QRectF resize(SelHandle handle, const QRectF& anchor, const QPointF& p)
{
    double x0 = anchor.left(), x1 = anchor.right(), y0 = anchor.top(), y1 = anchor.bottom();
    switch (handle) {
    case SelHandle::topLeft: x0 = p.x(), y0 = p.y(); break;
    case SelHandle::top: y0 = p.y(); break;
    case SelHandle::topRight: x1 = p.x(), y0 = p.y(); break;
    case SelHandle::right: x1 = p.x(); break;
    case SelHandle::bottomRight: x1 = p.x(), y1 = p.y(); break;
    case SelHandle::bottom: y1 = p.y(); break;
    case SelHandle::bottomLeft: x0 = p.x(), y1 = p.y(); break;
    case SelHandle::left: x0 = p.x(); break;
    }
    const double left = std::min(x0, x1);
    const double top = std::min(y0, y1);
    return {left, top, std::max(std::abs(x1 - x0), minimumSide), std::max(std::abs(y1 - y0), minimumSide)};
}

Qt::CursorShape cursor(SelHandle handle)
{
    switch (handle) {
    case SelHandle::topLeft:
    case SelHandle::bottomRight: return Qt::SizeFDiagCursor;
    case SelHandle::topRight:
    case SelHandle::bottomLeft: return Qt::SizeBDiagCursor;
    case SelHandle::top:
    case SelHandle::bottom: return Qt::SizeVerCursor;
    case SelHandle::left:
    case SelHandle::right: return Qt::SizeHorCursor;
    }
    return Qt::ArrowCursor;
}

}  // namespace klipo::SelHandles
