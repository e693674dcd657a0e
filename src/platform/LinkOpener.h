#pragma once

#include <QUrl>

#include <functional>

namespace klipo::platform {

// Opens a link with the desktop's handler for its scheme (xdg-open, else
// gio). `done` runs once on the main thread with whether a handler took it:
// false when no program is registered for the scheme or none could start.
// Main thread.
void openLink(const QUrl& url, std::function<void(bool opened)> done);

}  // namespace klipo::platform
