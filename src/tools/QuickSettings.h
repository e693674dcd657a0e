#pragma once

#include <QList>

// Settings of the quick screenshot tools, beside the shared getters.
namespace klipo::Settings {

// "quickDelaySeconds": a stored 5 or 10 as it is; anything else gives 3.
int quickDelaySeconds();
void setQuickDelaySeconds(int seconds);
// The delays the menu offers: 3, 5, 10.
const QList<int>& quickDelayOptions();

}  // namespace klipo::Settings
