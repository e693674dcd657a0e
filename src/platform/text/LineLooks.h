#pragma once

#include "platform/text/PageLayout.h"
#include "platform/text/PageMarks.h"

namespace klipo::platform {

// The script a line of a grey picture looks like, from how its ink spreads
// over its height.
LineScript scriptOf(const QImage& gray, const QRect& line, int background);

// The grey value most pixels around a line's text have, and the one its ink has.
void coloursOf(const QImage& gray, const QRect& line, int& background, int& ink);

// The colour most pixels around a line's text have.
QRgb backgroundColourOf(const QImage& colour, const QRect& line);

// The colour of the ink of `r` on `ground` in a picture (grey or RGB32):
// the one most common among its pixels farthest from the ground.
QRgb inkColourOf(const QImage& picture, const QRect& r, QRgb ground);

// A line's area of a colour picture as dark ink on white: each pixel as far
// from white as its colour is from `background`. Text of any colour with
// enough contrast shows, whatever its grey.
// Where other grounds (`shades`) are given, a pixel is as far as it is from the nearest ground.
QImage inkPicture(const QImage& colour, const QRect& area, QRgb background, const Shades& shades = {});

// How far a colour is from the nearest of `shades`; `limit` where none is nearer.
inline int distanceToShades(QRgb c, const Shades& shades, int limit)
{
    for (const QRgb s : shades)
        if (s != 0) limit = std::min(limit, colourDistance(c, s));
    return limit;
}

// Other grounds in `area` of a picture (grey or RGB32) besides
// `background` (see LayoutLine::shades): the colours of most of the even
// patches that are not the background, those that cover at least `smallest`
// pixels.
Shades shadesOf(const QImage& picture, const QRect& area, QRgb background, int smallest);

// What the pixels of a cluster of marks look like: how much of its box is
// filled with a colour other than the one around it, and how thick the
// filling is (a drawn shape, an icon, an avatar, a badge's ground, is filled
// through; a letter's strokes are thin).
struct ClusterLooks {
    double fill = 0;
    double thick = 0;  // the side of the largest filled square in it, against its shorter side
    // The same where ink inside the filling, small against it (a badge's
    // count), counts as filling.
    double thickThrough = 0;
    int insideHeight = 0;  // how tall that ink inside is
    // Its ink is one upright rectangle, hollow or filled, narrower than a
    // square (a terminal's cursor): the size of that rectangle, else empty.
    QSize rectangle;
};
ClusterLooks looksOfCluster(const QImage& gray, const QImage& colour, const QRect& box);

// The text on a badge: where `box` (a cluster of marks) is a shape filled
// with one colour that stands out from what is around it (an unread count's
// disc, a tag's pill, a filled button) and holds ink of a colour far from
// its own well inside it (a count, a word), the box of that ink in the
// picture; else an empty rectangle. Most of the shape's bounds are of its
// colour, only its corners lie around it (letters leave room between them);
// the ink stands clear of its outline on all sides (a bold letter's counters
// reach close to it), is at least a quarter as tall as it (no speck) and is
// strokes, not one opening (a thick ring's).
QRect badgeTextIn(const QImage& gray, const QImage& colour, const QRect& box);

// Whether the ink in `box` (against the ground around it) is an upright
// frame, its four sides inked along nearly all their length: a document's or
// a folder's icon, a check box. No Latin letter is: "B", "D", "E" and "O"
// leave a side open or round it off.
bool isFramedInk(const QImage& gray, const QImage& colour, const QRect& box);

// Whether nothing in `box` stands out from the ground around it by as much as
// text does: where the engine reads letters off such a box, it reads the
// faint edges of a tab's or a toolbar's rounded corners.
bool showsNoInk(const QImage& gray, const QImage& colour, const QRect& box);

// How many glyphs side by side the ink in `box` makes where each is a frame
// (see isFramedInk) and all are about as wide: a window's buttons (minimise,
// maximise, close), a row of check boxes; 0 where any glyph is no frame, or
// there are fewer than two.
int framedGlyphs(const QImage& gray, const QImage& colour, const QRect& box);

// A line's colours and script: from the grey picture, or, when `colour`
// is given, from how far each pixel's colour is from the line's background
// colour (then `background` is white and `ink` says how far the text is).
void looksOf(const QImage& gray, const QImage& colour, LayoutLine& line);
// The same without the script: only the colours.
void inkAndGroundOf(const QImage& gray, const QImage& colour, LayoutLine& line);
// The colours alone, other grounds behind the words (a highlight) counted as
// ground, as looksOfLines() counts them.
void inkAndGroundsOf(const QImage& gray, const QImage& colour, LayoutLine& line);
// looksOf() each of `lines`, several at once, with the other grounds behind
// their words (LayoutLine::shades), which count as ground for their ink.
void looksOfLines(const QImage& gray, const QImage& colour, std::vector<LayoutLine>& lines);

}  // namespace klipo::platform
