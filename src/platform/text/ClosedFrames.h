#pragma once

#include "platform/text/PageMarks.h"

#include <QRect>

#include <vector>

namespace klipo::platform {

// The closed frames of a page: rectangles whose four sides are frames or
// rules (a window on top of the others, a pop-up menu, a dialog, a field, a
// picture). The strips between the lines of a table grid are not frames
// (only the grid's outline is), nor is the outline around boxes side by
// side, which no rule closes where the ground between them runs through
// (however the edge of a window on top closes it along their tops).
// Frames without text inside are left out.
// Sides are at least `shortest` long.
std::vector<QRect> closedFrames(const PageMarks& marks, int shortest);

// The closed frames, those on top first, and then the windows that others
// cover in part: closed where those on top hide their frames. `closed`: how
// many of them are closed on their own. `ground` (see groundEdges(), may be
// empty): where grounds meet, a side as a drawn line is. `layers`: for each
// frame, how many layers of windows lie over it (0: closed on its own).
std::vector<QRect> windowFrames(const PageMarks& marks, int shortest, size_t* closed = nullptr,
                                const std::vector<char>& ground = {}, std::vector<int>* layers = nullptr);

}  // namespace klipo::platform
