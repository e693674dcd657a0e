#pragma once

#include "recognition/TextModel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSizeF>

#include <vector>

namespace klipo {

// Draws translations over the picture they came from: every translated
// paragraph on a patch of its surrounding background colour, at the size of
// the source text where it fits. Stateless; rectangles are in the base
// image's pixels with the origin at the bottom left (as in TextLine). Safe on
// any thread.
namespace ImageRenderer {

struct RenderBlock {
    std::vector<TextLine> lines;  // the paragraph's recognised lines
    QString translated;           // the translation of the whole paragraph
};

struct SampledColor {
    QColor color;
    qreal luminance = 1;
};

// One placed piece of translated text.
struct LayoutFragment {
    QRectF rect;
    QString text;
    bool wraps = false;       // may wrap onto several lines inside rect
    bool monospaced = false;  // its source is a terminal's or code's: drawn in a monospaced face
    qreal fontSize = 0;       // the size its style is drawn at; 0: the largest that fits
    QRectF sourceRect;        // where its source text stands (rect may reach beyond it)
    SampledColor sourceGround;  // the colour the source text stands on
};

struct FittedSize {
    qreal fontSize = 6;
    QSizeF measured;
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

// Where the translations of a whole picture go, block by block: the
// fragments of layoutFragments(), every fragment of one style (lines whose
// letters stand about as tall, monospaced or not) at the one font size whose
// letters stand as tall as theirs; a one-line fragment too long for its line
// runs on into the empty background to the right of it (when `base` is given)
// rather than shrink, and only one that does not fit even so is drawn
// smaller.
std::vector<std::vector<LayoutFragment>> layoutPicture(const QImage& base, const std::vector<RenderBlock>& blocks);

// Cuts the text into one piece per weight, in proportion; closing
// punctuation that would start a piece moves to the end of the previous one;
// pieces are trimmed of spaces and tabs and may be empty.
std::vector<QString> splitProportionally(const QString& text, const std::vector<qreal>& weights);

// The largest font size from 6 up (within half a pixel) at which the text
// fits the rectangle, with the size it then measures.
FittedSize fittedFontSize(const QString& text, const QRectF& rect, bool wraps, bool monospaced = false);

// The background around a text rectangle: the colour nearly all of a thin
// ring just outside it shows (the page of a line, the pill or button of a
// badge's word); where the ring is mixed (a gradient, a picture), per channel
// the median of six 3×3 samples just left and right of it; white when none
// can be taken.
SampledColor backgroundColor(const QImage& image, const QRectF& rect);

// The drawing font of a size in pixels (medium weight, CJK-capable),
// monospaced for a terminal's or code's text.
QFont fontOfSize(qreal size, bool monospaced = false);

// One line of translated text as the renderer draws it: its characters,
// where every character boundary lies and the box of the line.
struct PlacedLine {
    QString text;               // the fragment's characters on this line, trailing whitespace left out
    QRectF rect;                // the line's box (bottom-left origin)
    std::vector<qreal> edges;   // x of every character (grapheme) boundary: characters + 1 entries
};

// A fragment laid out exactly as render() draws it.
struct PlacedFragment {
    QFont font;
    QRectF textBox;   // the box the text is centred in
    qreal clipMaxX = 0;  // nothing of the fragment is drawn right of this
    std::vector<PlacedLine> lines;
};

// Where render() puts the characters of a fragment. A one-line fragment that
// is too wide is drawn cut short with an ellipsis; its line still holds the
// whole text, the characters past the cut lying beyond `clipMaxX`.
PlacedFragment placeFragment(const LayoutFragment& fragment);

// The x of every character boundary of the text set on one line in the font,
// from 0 (font sizes are pixels here, as everywhere in the renderer).
std::vector<qreal> characterOffsets(const QString& text, const QFont& font);

}  // namespace ImageRenderer

}  // namespace klipo
