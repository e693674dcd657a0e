#pragma once

#include "platform/text/PageMarks.h"

#include <QImage>
#include <QRect>

namespace klipo::platform {

// The letters of a large headline over small body text are as large as
// the shapes the layout leaves out as no text (a toolbar's separator, a
// badge's ground, a filled icon); these tell them apart.

// Whether a shape taller than most letters is a letter of a large headline:
// within a quarter of its height beside it stands the next letter, half as
// tall at least, on its baseline or starting near its top (an "i" beside a
// "B", an "n" beside a "g" that reaches below it). A label beside an icon,
// even with another line under it, is far shorter.
bool inLargeWord(const PageMarks& marks, const QRect& box);

// Whether `box` is the counter of a large bold letter ("o", "g", "d"): its
// inner edge is a ring of marks of its own, inside the letter's strokes.
// Around it on all four sides lies the stroke's ink, about as thick all
// round, and beyond that the ground again that fills it; around an icon, a
// badge or a check box lies the ground, beyond it no more of the colour
// inside, and a switch's knob sits at one end of its track. The stroke's
// outer edge is no frame's (`marks` as the walk over clusters leaves them:
// a button's outline, walked before the icon on it, is structure already).
// `colour` may be null.
bool letterCounter(const PageMarks& marks, const QImage& gray, const QImage& colour, const QRect& box);

// Whether a thin upright bar is a letter of a large word (the "l" of a bold
// headline, an "I"): within a space of it (at its size) on either side
// stands a shorter letter on the same baseline, its lowest ink level with
// the bar's, a third as tall at least (a box's bottom edge is no letter). A separator between toolbar items stands
// taller than the labels beside it, reaching below their baseline; a grip's bars beside each other are all as tall.
bool barAmongLetters(const PageMarks& marks, const QRect& bar);

}  // namespace klipo::platform
