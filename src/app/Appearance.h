#pragma once

#include "app/SettingsTypes.h"

#include <QPalette>

namespace klipo {

// Applies the chosen appearance to the whole application: light and dark use
// the Fusion style with a light or dark palette; system keeps (or restores)
// the desktop's own style and palette. Main thread; needs a QApplication.
void applyAppearance(PrefsAppearanceTheme theme);

// The palettes used for the light and dark appearances.
QPalette lightAppearancePalette();
QPalette darkAppearancePalette();

}  // namespace klipo
