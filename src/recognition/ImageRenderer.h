#pragma once

#include "recognition/TextModel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSizeF>

namespace klipo {

// Draws translations over the picture they came from: every translated
// paragraph on a patch of its surrounding background colour, in the largest
// font size that fits where the source text stood. Stateless; rectangles are
// in the base image's pixels with the origin at the bottom left (as in
// TextLine). Safe on any thread.
namespace ImageRenderer {

struct RenderBlock {
    std::vector<TextLine> lines;  // the paragraph's recognised lines
    QString translated;           // the translation of the whole paragraph
};

// One placed piece of translated text.
struct LayoutFragment {
    QRectF rect;
    QString text;
    bool wraps = false;  // may wrap onto several lines inside rect
};

struct FittedSize {
    qreal fontSize = 6;
    QSizeF measured;
};

struct SampledColor {
    QColor color;
    qreal luminance = 1;
};

// The translated picture: the base's pixels with the translations drawn in,
// its device pixel ratio set to `displayScale` (so its size in points is the
// pixel size divided by the scale).
QImage render(const QImage& base, const std::vector<RenderBlock>& blocks, qreal displayScale);

// Where the translation of a paragraph goes: one fragment over all its lines
// (wrapping when there are several) unless the translation is mostly
// ideographic and there are several lines; then one piece per line, in
// proportion to the line widths, lines whose piece is empty left out.
std::vector<LayoutFragment> layoutFragments(const std::vector<TextLine>& lines, const QString& translated);

// Cuts the text into one piece per weight, in proportion; closing
// punctuation that would start a piece moves to the end of the previous one;
// pieces are trimmed of spaces and tabs and may be empty.
std::vector<QString> splitProportionally(const QString& text, const std::vector<qreal>& weights);

// The largest font size from 6 up (within half a pixel) at which the text
// fits the rectangle, with the size it then measures.
FittedSize fittedFontSize(const QString& text, const QRectF& rect, bool wraps);

// The background around a text rectangle: per channel the median of six 3×3
// samples just left and right of it; white when none can be taken.
SampledColor backgroundColor(const QImage& image, const QRectF& rect);

// The drawing font of a size in pixels (medium weight, CJK-capable).
QFont fontOfSize(qreal size);

}  // namespace ImageRenderer

}  // namespace klipo
