#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>

class QPaintDevice;

// Fonts sized in image pixels. Qt sizes fonts in points through the target's
// dots per inch; these helpers turn a pixel size into the point size that
// gives that many pixels on the given device, so text keeps its size in
// image pixels on screen, in the canvas layer and in exported images alike.
namespace klipo::AnnoFonts {

// The system font at the weight, `pixels` high on the device (a 72-dpi
// reference when none is given).
QFont systemFont(double pixels, QFont::Weight weight, const QPaintDevice* device = nullptr);

// The size of one line of text in that font, in pixels.
QSizeF measure(const QString& text, double pixels, QFont::Weight weight);

}  // namespace klipo::AnnoFonts
