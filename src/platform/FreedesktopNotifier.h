#pragma once

#include "platform/DesktopNotifier.h"

namespace klipo::platform {

// Notifications through org.freedesktop.Notifications on the session bus. The
// call is asynchronous; no bus or no notification server means nothing shows.
class FreedesktopNotifier final : public DesktopNotifier {
public:
    void post(const QString& title, const QString& body) override;
    void postBeforeExit(const QString& title, const QString& body) override;
};

}  // namespace klipo::platform
