#pragma once

namespace klipo {

// The preferences window.
class SettingsWindowController {
public:
    static SettingsWindowController& shared();
    // Not built yet: reports that the feature is pending.
    void show();
};

}  // namespace klipo
