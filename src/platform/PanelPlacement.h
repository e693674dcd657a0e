#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace klipo::platform {

// Where a bar went next to a rectangle.
enum class PanelSide {
    below,   // 10 points under the rectangle
    above,   // 10 points over it (no room below)
    beside,  // 10 points to its right, else to its left, level with its bottom (no room below or above)
    inside,  // inside it, 10 points above its bottom edge (no room around it)
    noRoom,  // neither below nor above, and the caller does not allow inside
};

struct PanelPlacement {
    PanelSide side = PanelSide::noRoom;
    QPoint topLeft;  // global, y down; meaningless for noRoom
    // Points of the rectangle's bottom that the bar covers (inside only): a
    // grab of the rectangle should leave these rows out.
    int coveredBottom = 0;
};

// Puts a bar of `barSize` next to `rect` on a screen whose full geometry is
// `screen` (all global, y down, in points): centred under the rectangle and
// kept 8 points inside the screen's sides; above it when it does not fit
// below; beside it when it fits neither (a window that fills the screen's
// height); inside it only when there is no room around it at all, unless
// `insideAllowed` is false.
PanelPlacement placePanel(QSize barSize, const QRectF& rect, const QRect& screen, bool insideAllowed);

}  // namespace klipo::platform
