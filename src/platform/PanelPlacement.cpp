#include "platform/PanelPlacement.h"

#include <algorithm>
#include <cmath>

namespace klipo::platform {

namespace {
constexpr double kScreenMargin = 8.0;
constexpr double kGap = 10.0;

int rounded(double v) { return int(std::round(v)); }  // halves away from zero
}  // namespace

PanelPlacement placePanel(QSize barSize, const QRectF& rect, const QRect& screen, bool insideAllowed)
{
    const double w = barSize.width();
    const double h = barSize.height();
    const double screenLeft = screen.x();
    const double screenRight = screen.x() + double(screen.width());
    const double screenTop = screen.y();
    const double screenBottom = screen.y() + double(screen.height());

    // The right-hand clamp comes last and wins on a screen narrower than the bar.
    double x = rect.center().x() - w / 2;
    if (x <= screenLeft + kScreenMargin) x = screenLeft + kScreenMargin;
    if (screenRight - w - kScreenMargin < x) x = screenRight - w - kScreenMargin;

    PanelPlacement placement;
    double y = rect.bottom() + kGap;
    placement.side = PanelSide::below;
    if (y + h > screenBottom - kScreenMargin) {
        y = rect.top() - kGap - h;
        placement.side = PanelSide::above;
        if (y < screenTop + kScreenMargin) {
            // Level with the rectangle's bottom, on the screen.
            y = std::max(std::min(rect.bottom() - h, screenBottom - kScreenMargin - h), screenTop + kScreenMargin);
            if (rect.right() + kGap + w <= screenRight - kScreenMargin) {
                x = rect.right() + kGap;
                placement.side = PanelSide::beside;
            } else if (rect.left() - kGap - w >= screenLeft + kScreenMargin) {
                x = rect.left() - kGap - w;
                placement.side = PanelSide::beside;
            } else {
                if (!insideAllowed) return {PanelSide::noRoom, {}, 0};
                y = rect.bottom() - kGap - h;
                placement.side = PanelSide::inside;
            }
        }
    }
    placement.topLeft = QPoint(rounded(x), rounded(y));
    if (placement.side == PanelSide::inside)
        placement.coveredBottom = int(std::ceil(rect.bottom() - placement.topLeft.y()));
    return placement;
}

}  // namespace klipo::platform
