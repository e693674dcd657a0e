#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// Fonts and colours of the library window, derived from the application's
// font and palette so that the light and dark appearances both hold.
namespace klipo::librarystyle {

QFont body(const QFont& base);
QFont headline(const QFont& base);  // body size, bold
QFont callout(const QFont& base);   // a little smaller than body
QFont caption(const QFont& base);
QFont caption2(const QFont& base);

// Text a step back from the main text (dates, details).
QColor secondary(const QPalette& palette);
// Large placeholder symbols.
QColor tertiary(const QPalette& palette);
// The text colour at the given opacity (backgrounds of thumbnails and chips).
QColor wash(const QPalette& palette, qreal opacity);

}  // namespace klipo::librarystyle
