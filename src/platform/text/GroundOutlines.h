#pragma once

#include "platform/text/PageMarks.h"

#include <QImage>

namespace klipo::platform {

// The outline of a ground of its own colour (a highlight behind a changed
// word, a tag, a filled button) is no text, but letters that touch it,
// inside or out, make one cluster of marks with it and would go with it.
// Of the cluster's marks (`pixels`, `count` of them, structure now but for
// a badge's text given back), those of the letters that touch the ground,
// inside or out, become text again: what is left as structure is the
// outline alone, and nothing of the outline of a ground hardly taller than
// the words on it (a highlight), no rule that would cut their line. A
// cluster whose outline is not a change of ground (a drawn frame, a
// picture's edge) is left as it is.
void keepLettersOffGroundOutline(PageMarks& marks, const QImage& gray, const QImage& colour, const QRect& box,
                                 const MarkPixel* pixels, size_t count, int textHeight);

}  // namespace klipo::platform
