#pragma once

namespace klipo::platform {

class HotKeyService;
class KeyboardLayout;

// The keyboard layout and the hot-key service of this session: the X11 ones
// under an X11 display, otherwise a US layout and no hot keys. Made on first
// use (needs a QGuiApplication); main thread only.
KeyboardLayout& keyboardLayout();
HotKeyService& hotKeyService();

// Replaces either for a scope (tests use fakes); null keeps the current one.
class ScopedHotKeyPlatform {
public:
    ScopedHotKeyPlatform(HotKeyService* service, KeyboardLayout* layout);
    ~ScopedHotKeyPlatform();
    ScopedHotKeyPlatform(const ScopedHotKeyPlatform&) = delete;
    ScopedHotKeyPlatform& operator=(const ScopedHotKeyPlatform&) = delete;

private:
    HotKeyService* m_previousService;
    KeyboardLayout* m_previousLayout;
};

}  // namespace klipo::platform
