#include "recording/RecRegionWindow.h"

namespace klipo {

namespace {
const QColor kSystemRed(255, 59, 48, int(0.9 * 255 + 0.5));
}

RecRegionWindow::RecRegionWindow(const QRect& globalRect) : ClickThroughFrameWindow(globalRect, kSystemRed) {}

}  // namespace klipo
