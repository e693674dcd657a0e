#include "overlay/SelChromeLayout.h"

#include <algorithm>
#include <cmath>

namespace klipo::SelChromeLayout {

namespace {
constexpr double kMargin = 8;
constexpr double kGap = 10;       // selection to toolbar
constexpr double kStripGap = 6;   // toolbar to strip

// The left edge of a bar of this width centred on x, kept clear of the sides.
double clampedLeft(const QRectF& bounds, double left, double width)
{
    return std::min(std::max(left, bounds.left() + kMargin), bounds.right() - width - kMargin);
}
}  // namespace

Placement place(const QRectF& bounds, const QRectF& selection, const QSizeF& toolbarSize,
                const std::optional<QSizeF>& stripSize)
{
    const double w = toolbarSize.width();
    const double h = toolbarSize.height();
    const double stripBlock = stripSize ? stripSize->height() + kStripGap : 0;
    const double x = clampedLeft(bounds, selection.center().x() - w / 2, w);

    Placement p;
    double top = selection.bottom() + kGap;
    if (top + h + stripBlock > bounds.bottom() - kMargin) {
        p.side = Side::above;
        top = selection.top() - kGap - h;
        if (top - stripBlock < bounds.top() + kMargin) {
            p.side = Side::inside;
            top = selection.bottom() - kGap - h;
        }
    }
    p.toolbar = QRectF(std::round(x), std::round(top), w, h);
    if (stripSize) {
        const double sx = clampedLeft(bounds, x, stripSize->width());
        const double sy = p.side == Side::below ? top + h + kStripGap : top - kStripGap - stripSize->height();
        p.strip = QRectF(std::round(sx), std::round(sy), stripSize->width(), stripSize->height());
    }
    return p;
}

QPointF sizeLabelOrigin(const QRectF& bounds, const QRectF& rect, const QSizeF& textSize)
{
    const double x =
        std::min(std::max(rect.left(), bounds.left() + 4), bounds.right() - textSize.width() - 14);
    double y = rect.top() - 8 - textSize.height();
    if (y - 6 < bounds.top()) y = rect.top() + 10;
    return {x, y};
}

QRectF toastFrame(const QRectF& bounds, const QRectF& selection, const QSizeF& size)
{
    double x = std::round(selection.center().x() - size.width() / 2);
    double y = std::round(selection.center().y() - size.height() / 2);
    x = std::min(std::max(x, bounds.left() + kMargin), bounds.right() - size.width() - kMargin);
    y = std::min(std::max(y, bounds.top() + kMargin), bounds.bottom() - size.height() - kMargin);
    return {x, y, size.width(), size.height()};
}

}  // namespace klipo::SelChromeLayout
