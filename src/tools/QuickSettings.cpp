#include "tools/QuickSettings.h"

#include "app/SettingsReading.h"
#include "platform/SettingsStore.h"

namespace klipo::Settings {

namespace {
const QString delayKey = QStringLiteral("quickDelaySeconds");
}

int quickDelaySeconds()
{
    const int stored = SettingsReading::integer(platform::SettingsStore::shared(), delayKey, 3);
    return stored == 5 || stored == 10 ? stored : 3;
}

void setQuickDelaySeconds(int seconds) { platform::SettingsStore::shared().setValue(delayKey, seconds); }

const QList<int>& quickDelayOptions()
{
    static const QList<int> options{3, 5, 10};
    return options;
}

}  // namespace klipo::Settings
