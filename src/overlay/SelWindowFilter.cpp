#include "overlay/SelWindowFilter.h"

namespace klipo::SelWindowFilter {

QList<QRect> pickable(const QList<platform::DesktopWindow>& frontToBack, qint64 ownPid,
                      const std::function<double(const QPoint&)>& pixelsPerPoint)
{
    QList<QRect> result;
    for (const platform::DesktopWindow& w : frontToBack) {
        if (w.hidden || !w.normalLayer) continue;
        if (w.pid >= 0 && w.pid == ownPid) continue;
        if (w.opacity && *w.opacity <= 0.01) continue;
        const double scale = pixelsPerPoint ? pixelsPerPoint(w.frameRectPx.center()) : 1.0;
        if (w.frameRectPx.width() <= minimumSidePt * scale || w.frameRectPx.height() <= minimumSidePt * scale)
            continue;
        result.append(w.frameRectPx);
    }
    return result;
}

}  // namespace klipo::SelWindowFilter
