#pragma once

#include <QString>

namespace klipo::platform {

// A path as the user is shown it in a message: the home folder written "~".
QString shownPath(const QString& path);

}  // namespace klipo::platform
