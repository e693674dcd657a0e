#include "app/shell/ToolsWiring.h"

#include "overlay/SelOverlayController.h"
#include "recognition/SearchTextIndexer.h"
#include "tools/PlainCaptureOverlay.h"
#include "tools/PlainCaptureService.h"

#include <memory>
#include <utility>

namespace klipo::ToolsWiring {

namespace {

// The overlay's session with copy as the action of Return.
class OverlayForPlainCapture final : public PlainCaptureOverlay {
public:
    bool isActive() const override { return SelOverlayController::shared().isActive(); }
    void beginCopy() override
    {
        SelRequest request;
        request.primaryAction = SelAction::copy;
        SelOverlayController::shared().begin(std::move(request));
    }
    void close() override { SelOverlayController::shared().cancel(); }
};

}  // namespace

void connectPlainCapture()
{
    PlainCaptureService::setOverlay(std::make_shared<OverlayForPlainCapture>());
    PlainCaptureService::setTextIndexer(SearchTextIndexer::index);
}

}  // namespace klipo::ToolsWiring
