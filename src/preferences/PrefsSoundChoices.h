#pragma once

#include <QString>

// What the capture sounds are called in the preferences: the desktop sound
// theme's sound that the player plays for each stored name ("Tink" is the
// camera shutter).
namespace klipo::PrefsSoundChoices {

// The Chinese name of the sound behind a stored name; the name itself for one
// the player does not know.
QString title(const QString& storedName);

}  // namespace klipo::PrefsSoundChoices
