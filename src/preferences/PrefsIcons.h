#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

// The preferences' symbol images (drawn for this program, in the resources),
// painted in a given colour so they follow the light or dark appearance.
namespace klipo::PrefsIcons {

// `symbolName` as in "gearshape"; `color` invalid keeps the drawing's own colours.
QPixmap pixmap(const QString& symbolName, int logicalSize, qreal devicePixelRatio, const QColor& color = {});
QIcon icon(const QString& symbolName, const QColor& color);

// A label showing the symbol in one colour of its palette, drawn again
// whenever the palette changes (switching between light and dark).
QLabel* symbolLabel(const QString& symbolName, int logicalSize, QPalette::ColorRole role, QWidget* parent);

}  // namespace klipo::PrefsIcons
