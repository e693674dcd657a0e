#include "stores/HistoryLimit.h"

#include "platform/SettingsStore.h"

namespace klipo::historylimit {

bool isConfirmed(const platform::SettingsStore& settings) { return !settings.boolValue(kUnconfirmedKey, false); }

void setConfirmed(platform::SettingsStore& settings, bool confirmed)
{
    if (confirmed)
        settings.remove(kUnconfirmedKey);
    else
        settings.setValue(kUnconfirmedKey, true);
}

void noteSettingsRecovery(platform::SettingsStore& settings)
{
    if (settings.recoveredFromDamage() && !settings.contains(QStringLiteral("historyLimit")))
        setConfirmed(settings, false);
}

}  // namespace klipo::historylimit
