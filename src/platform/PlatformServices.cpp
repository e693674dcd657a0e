#include "platform/PlatformServices.h"

namespace klipo::platform {

namespace {
PlatformServices& current()
{
    static PlatformServices s = createDefaultServices();
    return s;
}
}  // namespace

PlatformServices& services() { return current(); }

ScopedServices::ScopedServices(const PlatformServices& replacement) : m_previous(current())
{
    PlatformServices& s = current();
    if (replacement.screens) s.screens = replacement.screens;
    if (replacement.screenshots) s.screenshots = replacement.screenshots;
    if (replacement.clipboard) s.clipboard = replacement.clipboard;
    if (replacement.notifier) s.notifier = replacement.notifier;
    if (replacement.sounds) s.sounds = replacement.sounds;
    if (replacement.files) s.files = replacement.files;
    if (replacement.permission) s.permission = replacement.permission;
}

ScopedServices::~ScopedServices() { current() = m_previous; }

}  // namespace klipo::platform
