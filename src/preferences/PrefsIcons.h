#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The preferences' symbol images (drawn for this program, in the resources),
// painted in a given colour so they follow the light or dark appearance.
namespace klipo::PrefsIcons {

// `symbolName` as in "gearshape"; `color` invalid keeps the drawing's own colours.
QPixmap pixmap(const QString& symbolName, int logicalSize, qreal devicePixelRatio, const QColor& color = {});
QIcon icon(const QString& symbolName, const QColor& color);

}  // namespace klipo::PrefsIcons
