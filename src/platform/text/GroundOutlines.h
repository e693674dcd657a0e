#pragma once

#include "platform/text/PageMarks.h"

#include <QImage>

namespace klipo::platform {

// The outline of a ground of its own colour (a highlight behind a changed
// word, a tag, a filled button) is no text, but letters that touch it,
// inside or out, make one cluster of marks with it and would go with it.
// Of the cluster's marks (`pixels`, `count` of them, all of them structure
// now), those that are no part of the change from the ground around it to
// its own become text again: what is left as structure is the outline alone,
// and nothing of the outline of a ground no taller than two lines of text
// (`textHeight`) high, behind a word or two. A cluster whose outline is not a
// change of ground (a drawn frame) is left as it is.
void keepLettersOffGroundOutline(PageMarks& marks, const QImage& gray, const QImage& colour, const QRect& box,
                                 const MarkPixel* pixels, size_t count, int textHeight);

}  // namespace klipo::platform
