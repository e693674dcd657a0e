#include "app/shell/AnnotationWiring.h"

#include "annotation/command/AnnoCaptureOverlay.h"
#include "annotation/command/AnnoMenuProvider.h"
#include "overlay/SelOverlay.h"

#include <memory>

namespace klipo::AnnotationWiring {

namespace {

// The overlay's session with copy as the action of Return; its inline tools annotate.
class OverlayForAnnotation final : public AnnoCaptureOverlay {
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

void connectAnnotateCommand() { AnnoMenuProvider::setOverlay(std::make_shared<OverlayForAnnotation>()); }

}  // namespace klipo::AnnotationWiring
