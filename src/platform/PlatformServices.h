#pragma once

namespace klipo::platform {

class ScreenMetrics;
class ScreenshotTool;
class Clipboard;
class DesktopNotifier;
class SoundPlayer;
class FileViewer;
class CapturePermission;

// The platform services, chosen once for this session. Features reach the
// platform only through these; tests swap in fakes with ScopedServices.
struct PlatformServices {
    ScreenMetrics* screens = nullptr;
    ScreenshotTool* screenshots = nullptr;
    Clipboard* clipboard = nullptr;
    DesktopNotifier* notifier = nullptr;
    SoundPlayer* sounds = nullptr;
    FileViewer* files = nullptr;
    CapturePermission* permission = nullptr;
};

// The current services; the real ones are made on first use (needs a
// QGuiApplication).
PlatformServices& services();

// Makes the real services for this session (X11 or not); called once by services().
PlatformServices createDefaultServices();

// Replaces the services for a scope (tests); fields left null keep the
// current service. Restores the previous ones after.
class ScopedServices {
public:
    explicit ScopedServices(const PlatformServices& replacement);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    PlatformServices m_previous;
};

}  // namespace klipo::platform
