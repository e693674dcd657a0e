#pragma once

#include <QColor>
#include <QList>

// The eight colours the annotation tools offer, in order: red, orange, yellow,
// green, blue, purple, black, white (sRGB, opaque).
namespace klipo::PrefsAnnotationPalette {

const QList<QColor>& colors();

}  // namespace klipo::PrefsAnnotationPalette
