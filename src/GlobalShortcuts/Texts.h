#pragma once

#include <QString>

namespace klipo::GlobalShortcuts {

// The texts of the shortcut controls, compiled into the program and looked up
// by key. A key without a text shows the key itself, so a missing text is
// visible but never stops anything.
QString uiText(const char* key);

}  // namespace klipo::GlobalShortcuts
