#pragma once

#include <QPointF>
#include <QRectF>
#include <Qt>

#include <array>
#include <optional>

namespace klipo {

// The eight handles of a selection, in the order they are hit-tested and drawn.
enum class SelHandle { topLeft, top, topRight, right, bottomRight, bottom, bottomLeft, left };

namespace SelHandles {

inline constexpr std::array<SelHandle, 8> all{SelHandle::topLeft,     SelHandle::top,    SelHandle::topRight,
                                              SelHandle::right,       SelHandle::bottomRight, SelHandle::bottom,
                                              SelHandle::bottomLeft,  SelHandle::left};
// How near (on both axes) a point must be to grab a handle, and the smallest
// side a resize leaves.
inline constexpr double hitDistance = 10;
inline constexpr double minimumSide = 8;

// Where the handle sits on the rectangle (y down: top is the rectangle's top).
QPointF point(SelHandle handle, const QRectF& rect);
// The first handle within hitDistance of `p` on both axes.
std::optional<SelHandle> hitTest(const QPointF& p, const QRectF& rect);
// The anchor with the handle's edges moved to `p`; normalised, so dragging
// past the opposite edge flips it, and at least minimumSide each way.
QRectF resize(SelHandle handle, const QRectF& anchor, const QPointF& p);
// The resize cursor of the handle.
Qt::CursorShape cursor(SelHandle handle);

}  // namespace SelHandles
}  // namespace klipo
