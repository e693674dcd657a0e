#include "tools/QuickColorPicker.h"

#include "app/FeaturePending.h"

namespace klipo {

QuickColorPickerController& QuickColorPickerController::shared()
{
    static QuickColorPickerController controller;
    return controller;
}

void QuickColorPickerController::start()
{
    isPreparing = false;
    showFeaturePending(QStringLiteral("取色器"));
}

}  // namespace klipo
