#pragma once

#include "platform/text/PageMarks.h"

#include <QRect>

#include <vector>

namespace klipo::platform {

// The closed frames of a page: rectangles whose four sides are frames or
// rules (a window on top of the others, a pop-up menu, a dialog, a field).
// A window that another one covers in part is no longer closed; nor are the
// strips between the lines of a table grid (only the grid's outline is).
// Frames without text inside are left out. Sides are at least `shortest`
// long.
std::vector<QRect> closedFrames(const PageMarks& marks, int shortest);

}  // namespace klipo::platform
