#include "platform/UnavailableScreenshotTool.h"

namespace klipo::platform {

void UnavailableScreenshotTool::capture(const CaptureOptions&, std::function<void(CaptureOutcome)> done)
{
    deliverLater(std::move(done), CaptureOutcome::failed(m_reason));
}

}  // namespace klipo::platform
