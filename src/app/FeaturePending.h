#pragma once

#include <QString>

namespace klipo {

// Tells the user, in the toast, that a command exists but its feature is not
// in this version yet.
void showFeaturePending(const QString& featureTitle);

}  // namespace klipo
