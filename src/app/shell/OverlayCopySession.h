#pragma once

#include "overlay/SelOverlayController.h"

#include <utility>

namespace klipo {

// The overlay's session with copy as the action of Return, behind whichever
// small interface a feature asks for (plain capture, the annotate command):
// isActive(), beginCopy() and close().
template <class Interface>
class OverlayCopySession final : public Interface {
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

}  // namespace klipo
