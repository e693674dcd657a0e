#pragma once

#include <QColor>

namespace klipo {

// The style of one mark. Colour components are sRGB, 0 to 1; the line width
// and font size are in image pixels. The line width also sets the mosaic block
// and the arrow head; the font size sets the badge of a number mark. Only
// rectangles and ellipses read `filled`. A default style is the canvas's
// starting style: the house red, width 4, font 28, outline.
struct AnnoStyle {
    double red = 0.94;
    double green = 0.23;
    double blue = 0.21;
    double alpha = 1.0;
    double lineWidth = 4;
    double fontSize = 28;
    bool filled = false;

    // Takes red, green, blue and alpha from the colour converted to sRGB; an
    // invalid colour gives opaque red. Width, font size and fill stay.
    void apply(const QColor& color);
    // The colour of the mark.
    QColor color() const;

    bool operator==(const AnnoStyle&) const = default;
};

}  // namespace klipo
