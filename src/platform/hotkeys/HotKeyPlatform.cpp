#include "platform/hotkeys/HotKeyPlatform.h"

#include "platform/hotkeys/HotKeyService.h"
#include "platform/hotkeys/KeyboardLayout.h"
#include "platform/hotkeys/X11HotKeyService.h"
#include "platform/hotkeys/X11KeyboardLayout.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace klipo::platform {

namespace {

struct HotKeyPlatform {
    KeyboardLayout* layout = nullptr;
    HotKeyService* service = nullptr;
};

HotKeyPlatform makeDefault()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        // Keymap queries use a connection of their own, so they never disturb
        // Qt's; the grabs must be made on Qt's, which delivers the key events.
        Display* display = x11 && x11->connection()
                               ? XOpenDisplay(x11->display() ? DisplayString(x11->display()) : nullptr)
                               : nullptr;
        if (display) {
            auto* layout = new X11KeyboardLayout(display);
            auto* service = new X11HotKeyService(x11->connection(), DefaultRootWindow(display), *layout,
                                                 layout->autoRepeatHoldGapMs());
            return {layout, service};
        }
    }
    return {new UsKeyboardLayout, new UnavailableHotKeyService};
}

// Lives for the whole process, like the display connection it holds.
HotKeyPlatform& current()
{
    static HotKeyPlatform platform = makeDefault();
    return platform;
}

}  // namespace

KeyboardLayout& keyboardLayout() { return *current().layout; }
HotKeyService& hotKeyService() { return *current().service; }

ScopedHotKeyPlatform::ScopedHotKeyPlatform(HotKeyService* service, KeyboardLayout* layout)
    : m_previousService(current().service), m_previousLayout(current().layout)
{
    if (service) current().service = service;
    if (layout) current().layout = layout;
}

ScopedHotKeyPlatform::~ScopedHotKeyPlatform()
{
    current().service = m_previousService;
    current().layout = m_previousLayout;
}

}  // namespace klipo::platform
