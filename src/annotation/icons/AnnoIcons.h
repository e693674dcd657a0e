#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The annotation tool and edit-button icons, drawn for this program and
// bundled as SVG resources, looked up by the names AnnoTools::symbolName gives
// (plus "arrow.uturn.backward", "arrow.uturn.forward", "trash" and
// "xmark.circle" for undo, redo, delete and clear).
namespace klipo::AnnoIcons {

bool has(const QString& symbolName);
// The icon drawn in the colour (the button text colour suits); a null icon for
// an unknown name, in which case the button shows the tool's title instead.
QIcon icon(const QString& symbolName, const QColor& color);

}  // namespace klipo::AnnoIcons
