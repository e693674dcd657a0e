#pragma once

#include <QRectF>
#include <QSizeF>

#include <optional>

namespace klipo {

// Where the toast's pieces go, in the content's own coordinates with the
// origin at the bottom left: the thumbnail at (12, (h-56)/2, 76, 56) when
// there is one, the text 12 from the left (100 with a thumbnail) and 12 from
// the right, the title just above the middle and the subtitle below it. A
// subtitle of several lines (a card made taller for it) takes `extraHeight`
// more below the title, a title of several lines `extraTitleHeight` more
// above it, the two kept together in the middle.
struct CaptureHUDLayout {
    std::optional<QRectF> thumbnail;
    QRectF title;
    QRectF subtitle;

    static CaptureHUDLayout compute(const QSizeF& viewSize, bool hasThumbnail, double extraHeight = 0,
                                    double extraTitleHeight = 0);

    // A rectangle of this layout in top-left coordinates of a view of that height.
    static QRectF flipped(const QRectF& rect, double viewHeight);
};

}  // namespace klipo
