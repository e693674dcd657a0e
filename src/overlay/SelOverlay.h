#pragma once

namespace klipo {

enum class SelAction { pin, translate, copy, save, cancel };

// The capture overlay's controller.
class SelOverlayController {
public:
    static SelOverlayController& shared();

    bool isActive = false;
    SelAction primaryAction = SelAction::translate;

    // Not built yet: reports that the overlay is pending.
    void begin();
    void finishWithoutResult();
};

}  // namespace klipo
