#pragma once

#include "annotation/model/AnnoStyle.h"
#include "annotation/model/AnnoTool.h"

#include <QColor>
#include <QString>

#include <optional>

// The remembered style of each annotation tool, kept in the settings store.
// A style is resolved in three layers, each overriding the one before field by
// field: the tool's factory style, the general preference keys
// ("prefsAnnotationColor", "prefsAnnotationLineWidth",
// "prefsAnnotationFontSize"), then the tool's own keys
// "anno.style.<tool>.color|lineWidth|fontSize|filled".
// Nothing here fails: a missing or malformed value falls back to the layer
// below, an out-of-range one is clamped.
namespace klipo::AnnoStyleStore {

AnnoStyle factoryStyle(AnnoTool tool);

// The resolved style of the tool.
AnnoStyle style(AnnoTool tool);

// Writes all four per-tool keys of the tool, as the style holds them.
void save(const AnnoStyle& style, AnnoTool tool);

// The per-tool key, e.g. "anno.style.arrow.lineWidth".
QString key(AnnoTool tool, const char* field);

// Six hexadecimal digits for red, green and blue, with or without a leading
// "#", blanks around ignored; none for anything else.
std::optional<QColor> colorFromHex(const QString& text);

// Applies the general preference keys to the style of the tool.
void applyPreferences(AnnoStyle& style, AnnoTool tool);

}  // namespace klipo::AnnoStyleStore
