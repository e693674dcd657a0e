#pragma once

#include <QImage>

#include <vector>

namespace klipo::platform {

// Where one ground colour meets another along a straight line at least
// `shortest` long: the edge of a window or pop-up told apart from what lies
// under it only by its ground (a dark window over a dark one, a pop-up
// whose outline is a soft shadow), too faint a change to count as a mark.
// One flag per pixel (row by row); `colour` may be null.
std::vector<char> groundEdges(const QImage& gray, const QImage& colour, int shortest);

}  // namespace klipo::platform
