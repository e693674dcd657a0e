#pragma once

#include "platform/ClickThroughFrameWindow.h"

namespace klipo {

// The red dashed frame around the recorded rectangle. Clicks go through it;
// it never takes the focus. Shown with orderFront().
class RecRegionWindow : public platform::ClickThroughFrameWindow {
public:
    // `globalRect`: the recorded rectangle in global points (y down), grown
    // by the frame's margin (3 points on every side).
    explicit RecRegionWindow(const QRect& globalRect);
};

}  // namespace klipo
