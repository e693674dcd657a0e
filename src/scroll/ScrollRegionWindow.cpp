#include "scroll/ScrollRegionWindow.h"

namespace klipo {

namespace {
const QColor kSystemBlue(0, 122, 255, int(0.9 * 255 + 0.5));
}

ScrollRegionWindow::ScrollRegionWindow(const QRect& globalRect) : ClickThroughFrameWindow(globalRect, kSystemBlue) {}

}  // namespace klipo
