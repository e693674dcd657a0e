#pragma once

#include "overlay/SelHandles.h"

#include <QPointF>
#include <QRectF>

#include <optional>

namespace klipo {

// The selection of one overlay window, in its local points: the rectangle
// being dragged while selecting, then the chosen rectangle with its move,
// resize and nudge rules. It never leaves the window's bounds.
class SelSelection {
public:
    // A press and release that moved no more than this (|dx| + |dy|) is a click.
    static constexpr double dragThreshold = 3;

    explicit SelSelection(const QRectF& bounds = {}) : m_bounds(bounds) {}
    QRectF bounds() const { return m_bounds; }

    // --- Selecting ---
    void press(const QPointF& p);
    // True when something visible changed (the drag started or moved).
    bool dragTo(const QPointF& p);
    // The dragged rectangle to commit; none for a click. Ends the drag either way.
    std::optional<QRectF> release(const QPointF& p);
    void clearDrag();
    std::optional<QPointF> dragStart() const { return m_dragStart; }
    bool isDragging() const { return m_dragging; }
    // The rectangle spanned by the press and the pointer.
    QRectF draggedRect() const;

    // --- Editing ---
    // The chosen rectangle cut to the bounds (a miss gives the corner
    // rectangle 0, 0, 8, 8), at least 8 each way.
    void enter(const QRectF& rect);
    QRectF rect() const { return m_rect; }

    enum class Gesture { none, move, resize };
    // Starts moving (inside), resizing (on a handle) or nothing (outside, or locked).
    void beginGesture(const QPointF& p, bool locked);
    // True when the rectangle changed.
    bool gestureTo(const QPointF& p);
    void endGesture() { m_gesture = Gesture::none; }
    Gesture gesture() const { return m_gesture; }

    // Moves the rectangle by the distances, kept inside the bounds. True when it moved.
    bool nudge(double dx, double dy);

private:
    static QRectF atLeastMinimum(QRectF r);

    QRectF m_bounds;
    std::optional<QPointF> m_dragStart;
    QPointF m_pointer;
    bool m_dragging = false;

    QRectF m_rect;
    Gesture m_gesture = Gesture::none;
    SelHandle m_handle = SelHandle::topLeft;
    QRectF m_anchor;
    QPointF m_offset;
};

}  // namespace klipo
