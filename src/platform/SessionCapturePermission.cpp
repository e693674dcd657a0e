#include "platform/SessionCapturePermission.h"

#include "platform/Session.h"

namespace klipo::platform {

bool SessionCapturePermission::canCapture() const { return isX11Session(); }

bool SessionCapturePermission::request() { return canCapture(); }

QString SessionCapturePermission::reason() const { return canCapture() ? QString() : x11SessionRequiredText(); }

}  // namespace klipo::platform
