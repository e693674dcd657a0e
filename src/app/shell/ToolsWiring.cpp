#include "app/shell/ToolsWiring.h"

#include "overlay/SelOverlay.h"
#include "recognition/SearchTextIndexer.h"
#include "tools/PlainCaptureOverlay.h"
#include "tools/PlainCaptureService.h"

#include <memory>

namespace klipo::ToolsWiring {

namespace {

// The overlay's session with copy as the action of Return.
class OverlayForPlainCapture final : public PlainCaptureOverlay {
public:
    bool isActive() const override { return SelOverlayController::shared().isActive; }
    void beginCopy() override
    {
        SelOverlayController& overlay = SelOverlayController::shared();
        overlay.primaryAction = SelAction::copy;
        overlay.begin();
    }
    void close() override { SelOverlayController::shared().finishWithoutResult(); }
};

}  // namespace

void connectPlainCapture()
{
    PlainCaptureService::setOverlay(std::make_shared<OverlayForPlainCapture>());
    PlainCaptureService::setTextIndexer(SearchTextIndexer::index);
}

}  // namespace klipo::ToolsWiring
