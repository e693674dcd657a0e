#include "scroll/ScrollCaptureService.h"

#include "app/FeaturePending.h"

namespace klipo {

ScrollCaptureService& ScrollCaptureService::shared()
{
    static ScrollCaptureService service;
    return service;
}

void ScrollCaptureService::beginFlow() { showFeaturePending(QStringLiteral("滚动长截图")); }

void ScrollCaptureService::cancelCapture()
{
    if (state == ScrollState::capturing) state = ScrollState::idle;
}

}  // namespace klipo
