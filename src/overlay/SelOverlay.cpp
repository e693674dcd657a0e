#include "overlay/SelOverlay.h"

#include "app/FeaturePending.h"

namespace klipo {

SelOverlayController& SelOverlayController::shared()
{
    static SelOverlayController controller;
    return controller;
}

void SelOverlayController::begin() { showFeaturePending(QStringLiteral("截图翻译")); }

void SelOverlayController::finishWithoutResult() { isActive = false; }

}  // namespace klipo
