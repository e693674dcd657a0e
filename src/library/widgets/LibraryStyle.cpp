#include "library/widgets/LibraryStyle.h"

namespace klipo::librarystyle {

namespace {
QFont resized(const QFont& base, qreal factor, bool bold = false)
{
    QFont font = base;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(base.pointSizeF() * factor);
    else
        font.setPixelSize(qRound(base.pixelSize() * factor));
    font.setBold(bold);
    return font;
}
}  // namespace

QFont body(const QFont& base) { return resized(base, 1.0); }
QFont headline(const QFont& base) { return resized(base, 1.0, true); }
QFont callout(const QFont& base) { return resized(base, 0.92); }
QFont caption(const QFont& base) { return resized(base, 0.85); }
QFont caption2(const QFont& base) { return resized(base, 0.78); }

QColor wash(const QPalette& palette, qreal opacity)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(opacity);
    return color;
}

QColor secondary(const QPalette& palette) { return wash(palette, 0.6); }
QColor tertiary(const QPalette& palette) { return wash(palette, 0.3); }

}  // namespace klipo::librarystyle
