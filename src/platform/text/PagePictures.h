#pragma once

#include "platform/text/PageMarks.h"

#include <QImage>
#include <QRect>

#include <vector>

namespace klipo::platform {

// Pictures of a page: the innermost rectangles closed by straight edges (a
// photograph or drawing in an article, a product's picture, a thumbnail)
// whose inside has no one colour much of it stands on, as text always has,
// and that lie on a page's ground (not on a wallpaper or among other
// windows, as a window of many colours does). Their marks become
// picture marks: never read, no frame or rule (their edges are not), yet
// standing beside the text next to them. `colour` may be null. The text on
// a badge laid over a picture (a shop's sale tag), inside one of
// `badgeTexts` and wider than tall, stays text.
void markPictures(const QImage& gray, const QImage& colour, PageMarks& marks, int textHeight,
                  const std::vector<QRect>& badgeTexts = {});

}  // namespace klipo::platform
