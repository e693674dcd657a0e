#pragma once

#include "platform/CapturePermission.h"

namespace klipo::platform {

// Capture is possible exactly in an X11 session; there is nothing to grant.
class SessionCapturePermission final : public CapturePermission {
public:
    bool canCapture() const override;
    bool request() override;
    QString reason() const override;
};

}  // namespace klipo::platform
