#include "app/shell/AnnotationWiring.h"

#include "annotation/command/AnnoCaptureOverlay.h"
#include "annotation/command/AnnoMenuProvider.h"
#include "overlay/SelOverlayController.h"

#include <memory>
#include <utility>

namespace klipo::AnnotationWiring {

namespace {

// The overlay's session with copy as the action of Return; its inline tools annotate.
class OverlayForAnnotation final : public AnnoCaptureOverlay {
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

void connectAnnotateCommand() { AnnoMenuProvider::setOverlay(std::make_shared<OverlayForAnnotation>()); }

}  // namespace klipo::AnnotationWiring
