#pragma once

#include <QStringList>

// The capture sounds the preferences offer, by the names stored in
// "captureSoundName"; the sound player maps them to the desktop's sound theme.
namespace klipo::PrefsSoundOption {

const QStringList& names();

}  // namespace klipo::PrefsSoundOption
