#include "app/shell/ToolsWiring.h"

#include "app/shell/OverlayCopySession.h"
#include "recognition/SearchTextIndexer.h"
#include "tools/PlainCaptureOverlay.h"
#include "tools/PlainCaptureService.h"

#include <memory>

namespace klipo::ToolsWiring {

void connectPlainCapture()
{
    PlainCaptureService::setOverlay(std::make_shared<OverlayCopySession<PlainCaptureOverlay>>());
    // Plain screenshots, whichever way they were taken, are findable by their text.
    PlainCaptureService::setTextIndexer(SearchTextIndexer::index);
}

}  // namespace klipo::ToolsWiring
