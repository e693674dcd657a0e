#include "platform/PlatformServices.h"

#include "platform/CanberraSoundPlayer.h"
#include "platform/DesktopFileViewer.h"
#include "platform/FreedesktopNotifier.h"
#include "platform/QtScreenMetrics.h"
#include "platform/Session.h"
#include "platform/SessionCapturePermission.h"
#include "platform/SystemClipboard.h"
#include "platform/UnavailableScreenshotTool.h"
#include "platform/x11/X11ScreenshotTool.h"

namespace klipo::platform {

// The real services of this session. They are made once and live as long as
// the process (they are never deleted, so nothing depends on the order in
// which statics and the application object go away).
PlatformServices createDefaultServices()
{
    PlatformServices s;
    s.screens = new QtScreenMetrics;
    if (isX11Session())
        s.screenshots = new x11::X11ScreenshotTool;
    else
        s.screenshots = new UnavailableScreenshotTool(screenGrabNeedsX11Reason());
    s.clipboard = new SystemClipboard;
    s.notifier = new FreedesktopNotifier;
    s.sounds = new CanberraSoundPlayer;
    s.files = new DesktopFileViewer;
    s.permission = new SessionCapturePermission;
    return s;
}

}  // namespace klipo::platform
