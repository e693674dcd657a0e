#include "preferences/SettingsWindow.h"

#include "app/FeaturePending.h"

namespace klipo {

SettingsWindowController& SettingsWindowController::shared()
{
    static SettingsWindowController controller;
    return controller;
}

void SettingsWindowController::show() { showFeaturePending(QStringLiteral("设置")); }

}  // namespace klipo
