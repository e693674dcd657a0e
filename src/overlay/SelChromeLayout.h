#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Where the editing chrome goes around a selection, in the overlay window's
// points (y down). Pure geometry, so every rule can be checked on its own.
namespace klipo::SelChromeLayout {

enum class Side { below, above, inside };

struct Placement {
    Side side = Side::below;
    QRectF toolbar;
    std::optional<QRectF> strip;  // only with an annotation tool
};

// The toolbar centred under the selection, 8 points clear of the sides (the
// right side wins when both cannot hold); moved above the selection when it
// and the strip would come within 8 points of the bottom, and inside the
// selection's bottom edge when above does not fit either. The strip goes on
// the far side of the toolbar from the selection (below it when below, above
// it otherwise). Origins are rounded to whole points.
Placement place(const QRectF& bounds, const QRectF& selection, const QSizeF& toolbarSize,
                const std::optional<QSizeF>& stripSize);

// The top-left corner of the size label's text: over the selection's top-left
// corner, or inside the selection when there is no room above it.
QPointF sizeLabelOrigin(const QRectF& bounds, const QRectF& rect, const QSizeF& textSize);

// The in-overlay toast centred on the selection and kept 8 points inside the bounds.
QRectF toastFrame(const QRectF& bounds, const QRectF& selection, const QSizeF& size);

}  // namespace klipo::SelChromeLayout
