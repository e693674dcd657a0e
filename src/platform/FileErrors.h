#pragma once

#include <QString>

namespace klipo::platform {

// A short Chinese description of a file-system error number (errno).
QString describeFileError(int errorNumber);

}  // namespace klipo::platform
