#include "stores/HistoryLimit.h"

#include "platform/SettingsStore.h"

#include <QJsonValue>

#include <climits>
#include <cmath>

namespace klipo::historylimit {

namespace {
const QString kLimitKey = QStringLiteral("historyLimit");
}  // namespace

bool isUnreadable(const platform::SettingsStore& settings)
{
    const QJsonValue value = settings.value(kLimitKey);
    if (value.isUndefined()) return false;
    if (!value.isDouble()) return true;
    const double number = value.toDouble();
    return std::trunc(number) != number || number < INT_MIN || number > INT_MAX;
}

bool isConfirmed(const platform::SettingsStore& settings)
{
    // Only this program writes the mark, and only as true: any other value
    // (edited by hand into text or a number) still waits.
    const QJsonValue mark = settings.value(kUnconfirmedKey);
    if (!mark.isUndefined() && mark != QJsonValue(false)) return false;
    return !isUnreadable(settings);
}

void setConfirmed(platform::SettingsStore& settings, bool confirmed)
{
    if (confirmed)
        settings.remove(kUnconfirmedKey);
    else
        settings.setValue(kUnconfirmedKey, true);
}

void noteSettingsRecovery(platform::SettingsStore& settings)
{
    if (settings.recoveredFromDamage() && !settings.contains(kLimitKey)) setConfirmed(settings, false);
}

}  // namespace klipo::historylimit
