#pragma once

#include <QChar>
#include <QImage>
#include <QRect>

namespace klipo::platform {

// The sign the ink shows where the engine read a small sign. The engine reads
// a middle dot ("Jonas Müller · 2 h") as "-", ":", "." or "'"; the ink tells
// them apart: a middle dot is one round speck halfway up the small letters, a
// hyphen is a dash at that height, a full stop sits on the line, a colon is
// two specks. `gray` is the picture read (dark text on a light ground), `box`
// the sign's box in it, `top` and `baseline` where the line's letters reach up
// to and stand on. Anything else comes back as read.
QChar signFromInk(const QImage& gray, const QRect& box, int top, int baseline, QChar read, bool hanLine = false);

// A hyphen or a dash: on a Chinese line a short one looks like a dot.
bool isDashLike(QChar c);

// Where the letters of a line inside `line` of `gray` stand: under the last
// row (from the top) that holds at least half as much ink as the fullest row
// (the small letters' band), so that the tails of "p", "j" and "g" do not
// count. -1 when there is no ink.
int inkBaseline(const QImage& gray, const QRect& line);

// The kind of a comma, colon or semicolon after a Han character, told by the
// room it takes: a full-width sign fills a whole em with the blank around it,
// an ASCII one and its space take about two thirds of one, without the space
// under half. `line` is the line's box in `gray`, `box` the engine's box for
// the sign (which is only roughly where its ink is). Unknown where no narrow
// speck of ink stands there between two pieces of text.
enum class SignRoom { Unknown, FullWidth, AsciiSpaced, AsciiTight };
SignRoom signRoomFromInk(const QImage& gray, const QRect& line, const QRect& box);

// Whether the ink in `box` of `gray` is a magnifier (a search field's icon,
// which the engine reads as a "Q" before the field's text): one round ring
// with nothing inside, as thick all round, and a short stroke leaving it at
// its lower right, out beyond it by half its hole or more. A letter "Q" has
// its tail cross into the ring or hang from its bottom.
bool isMagnifierInk(const QImage& gray, const QRect& box);

}  // namespace klipo::platform
