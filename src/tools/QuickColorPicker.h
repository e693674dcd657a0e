#pragma once

namespace klipo {

// The screen colour picker.
class QuickColorPickerController {
public:
    static QuickColorPickerController& shared();

    bool isActive = false;
    bool isPreparing = false;

    // Not built yet: reports that the feature is pending and clears isPreparing.
    void start();
};

}  // namespace klipo
