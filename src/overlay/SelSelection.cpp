#include "overlay/SelSelection.h"

#include <algorithm>
#include <cmath>

namespace klipo {

void SelSelection::press(const QPointF& p)
{
    m_dragStart = p;
    m_pointer = p;
    m_dragging = false;
}

bool SelSelection::dragTo(const QPointF& p)
{
    if (!m_dragStart) return false;
    if (!m_dragging) {
        const QPointF d = p - *m_dragStart;
        if (std::abs(d.x()) + std::abs(d.y()) <= dragThreshold) return false;
        m_dragging = true;
    }
    m_pointer = p;
    return true;
}

std::optional<QRectF> SelSelection::release(const QPointF& p)
{
    std::optional<QRectF> result;
    if (m_dragging && m_dragStart) {
        m_pointer = p;
        result = draggedRect();
    }
    clearDrag();
    return result;
}

void SelSelection::clearDrag()
{
    m_dragStart.reset();
    m_dragging = false;
}

QRectF SelSelection::draggedRect() const
{
    if (!m_dragStart) return {};
    return QRectF(*m_dragStart, m_pointer).normalized();
}

QRectF SelSelection::atLeastMinimum(QRectF r)
{
    r.setWidth(std::max(r.width(), SelHandles::minimumSide));
    r.setHeight(std::max(r.height(), SelHandles::minimumSide));
    return r;
}

void SelSelection::enter(const QRectF& rect)
{
    const QRectF cut = rect.normalized().intersected(m_bounds);
    m_rect = atLeastMinimum(cut.isEmpty() ? QRectF(0, 0, 8, 8) : cut);
    m_gesture = Gesture::none;
    clearDrag();
}

void SelSelection::beginGesture(const QPointF& p, bool locked)
{
    m_gesture = Gesture::none;
    if (locked) return;
    if (const auto handle = SelHandles::hitTest(p, m_rect)) {
        m_gesture = Gesture::resize;
        m_handle = *handle;
        m_anchor = m_rect;
    } else if (m_rect.contains(p)) {
        m_gesture = Gesture::move;
        m_offset = p - m_rect.topLeft();
    }
}

bool SelSelection::gestureTo(const QPointF& p)
{
    QRectF next = m_rect;
    switch (m_gesture) {
    case Gesture::none: return false;
    case Gesture::move: {
        const double x = std::min(std::max(p.x() - m_offset.x(), m_bounds.left()), m_bounds.right() - m_rect.width());
        const double y =
            std::min(std::max(p.y() - m_offset.y(), m_bounds.top()), m_bounds.bottom() - m_rect.height());
        next.moveTo(x, y);
        break;
    }
    case Gesture::resize: {
        const QRectF cut = SelHandles::resize(m_handle, m_anchor, p).intersected(m_bounds);
        next = atLeastMinimum(cut.isEmpty() ? QRectF(0, 0, 8, 8) : cut);
        break;
    }
    }
    if (next == m_rect) return false;
    m_rect = next;
    return true;
}

bool SelSelection::nudge(double dx, double dy)
{
    const double x = std::min(std::max(m_rect.x() + dx, m_bounds.left()), m_bounds.right() - m_rect.width());
    const double y = std::min(std::max(m_rect.y() + dy, m_bounds.top()), m_bounds.bottom() - m_rect.height());
    if (x == m_rect.x() && y == m_rect.y()) return false;
    m_rect.moveTo(x, y);
    return true;
}

}  // namespace klipo
