#pragma once

#include <QImage>

#include <vector>

namespace klipo::platform {

// Rows of a line's picture where a line runs through its text (an old price
// struck through, words crossed out), from its first to its last column.
struct RowsAcross {
    int top = 0;
    int bottom = 0;  // inclusive
    int left = 0;
    int right = 0;
};

// The engine reads none of the letters a line drawn through them crosses.
// `picture`: a line's picture, dark text on white (see linePicture). Each
// band of ink no thicker than a stroke that runs unbroken across all of the
// text, with letters above and below it, is taken out, but where a letter's
// stroke crosses it. `whitened`: such lines already left out of the picture
// (frames and rules are), where the strokes that crossed them are drawn
// back. Returns whether any was found.
bool eraseLinesThrough(QImage& picture, const std::vector<RowsAcross>& whitened = {});

struct PageLayout;

// Rules of `layout` that run through the text of the line in `r` and end
// where it ends (a line through an old price, long enough to be taken for a
// rule and left out): their bands in a picture of the line with `margin`
// around it.
std::vector<RowsAcross> rulesThrough(const PageLayout& layout, const QRect& r, int margin);

}  // namespace klipo::platform
