#pragma once

#include <QString>

namespace klipo::platform {

// Whether this session lets the program see the screen. On X11 there is
// nothing to grant: capture works whenever we run under an X11 display.
class CapturePermission {
public:
    virtual ~CapturePermission() = default;
    virtual bool canCapture() const = 0;
    // Asks for access; on X11 nothing can be asked, so this only re-checks.
    virtual bool request() = 0;
    // Chinese explanation of why capture is impossible (empty when possible).
    virtual QString reason() const = 0;
};

}  // namespace klipo::platform
