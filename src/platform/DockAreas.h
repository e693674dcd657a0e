#pragma once

#include <QList>
#include <QRect>

namespace klipo::platform {

// A screen's available area less the docks along its edges that reserve no
// room of their own: the window manager keeps out of those that reserve
// their edge (struts), but a bare tray host or panel may reserve nothing, and
// a window placed over it hides it (and its tray icons) from the user.
// Rectangles in global points.
QRect clearOfDocks(const QRect& screenGeometry, const QRect& availableGeometry, const QList<QRect>& docks);

// The same with the docks the window manager lists now (EWMH dock windows);
// the available area itself outside X11.
QRect clearOfDocks(const QRect& screenGeometry, const QRect& availableGeometry);

}  // namespace klipo::platform
