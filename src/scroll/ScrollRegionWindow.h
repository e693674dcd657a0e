#pragma once

#include "platform/ClickThroughFrameWindow.h"

namespace klipo {

// The blue dashed frame around the rectangle of a scrolling capture. Clicks
// and the wheel go through it to the content being scrolled; it never takes
// the focus. Shown with orderFront().
class ScrollRegionWindow : public platform::ClickThroughFrameWindow {
public:
    // `globalRect`: the captured rectangle in global points (y down), already
    // grown by the frame's margin (3 points on every side).
    explicit ScrollRegionWindow(const QRect& globalRect);
};

}  // namespace klipo
