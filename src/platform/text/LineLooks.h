#pragma once

#include "platform/text/PageLayout.h"

namespace klipo::platform {

// The script a line of a grey picture looks like, from how its ink spreads
// over its height.
LineScript scriptOf(const QImage& gray, const QRect& line, int background);

// The grey value most pixels around a line's text have, and the one its ink has.
void coloursOf(const QImage& gray, const QRect& line, int& background, int& ink);

}  // namespace klipo::platform
