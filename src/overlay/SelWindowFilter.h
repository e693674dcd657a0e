#pragma once

#include "platform/overlay/OverlayDesktop.h"

#include <QList>
#include <QRect>

#include <functional>

// Which desktop windows the overlay offers for a click.
namespace klipo::SelWindowFilter {

// Windows narrower or lower than this many points are never offered.
inline constexpr double minimumSidePt = 40;

// The frames of the windows a click may take, front to back, in root-window
// pixels: shown, ordinary application windows of other programs, more than 40
// points each way and not fully transparent. A window that names no process
// or no opacity is kept. `pixelsPerPoint` gives the density at a root pixel.
QList<QRect> pickable(const QList<platform::DesktopWindow>& frontToBack, qint64 ownPid,
                      const std::function<double(const QPoint&)>& pixelsPerPoint);

}  // namespace klipo::SelWindowFilter
