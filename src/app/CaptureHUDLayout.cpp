#include "app/CaptureHUDLayout.h"

#include <algorithm>

namespace klipo {

CaptureHUDLayout CaptureHUDLayout::compute(const QSizeF& viewSize, bool hasThumbnail, double extraHeight,
                                           double extraTitleHeight)
{
    CaptureHUDLayout layout;
    double x = 12;
    if (hasThumbnail) {
        layout.thumbnail = QRectF(12, (viewSize.height() - 56) / 2, 76, 56);
        x = 12 + layout.thumbnail->right();
    }
    const double textWidth = std::max(0.0, viewSize.width() - x - 12);
    const double midY = viewSize.height() / 2;
    layout.title = QRectF(x, midY + 2 + (extraHeight - extraTitleHeight) / 2, textWidth, 18 + extraTitleHeight);
    layout.subtitle = QRectF(x, midY - 18 - (extraHeight + extraTitleHeight) / 2, textWidth, 16 + extraHeight);
    return layout;
}

QRectF CaptureHUDLayout::flipped(const QRectF& rect, double viewHeight)
{
    return QRectF(rect.x(), viewHeight - rect.y() - rect.height(), rect.width(), rect.height());
}

}  // namespace klipo
