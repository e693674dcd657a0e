#pragma once

#include "app/SettingsTypes.h"

#include <QList>
#include <QRectF>

#include <optional>

// Settings of the quick screenshot tools, beside the shared getters.
namespace klipo::Settings {

// "quickDelaySeconds": a stored 5 or 10 as it is; anything else gives 3.
int quickDelaySeconds();
void setQuickDelaySeconds(int seconds);
// The delays the menu offers: 3, 5, 10.
const QList<int>& quickDelayOptions();

// "quickLastCaptureArea": the remembered area in its stored form (points,
// origin bottom left of the primary screen, y up), kept as the numbers "x",
// "y", "width" and "height". None unless all four are numbers and the area is
// at least one point each way. Setting none removes it.
std::optional<QRectF> quickLastCaptureArea();
void setQuickLastCaptureArea(const std::optional<QRectF>& area);

// "quickColorFormat" is read by Settings::quickColorFormat().
void setQuickColorFormat(QuickColorFormat format);

}  // namespace klipo::Settings
