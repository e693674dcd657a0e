#pragma once

#include <QString>

namespace klipo::platform {
class SettingsStore;
}

// Whether the history limit in force was chosen on this computer. A limit
// that came from elsewhere (another computer's backup, or the default that
// took the place of a damaged settings file) could delete records the user
// never agreed to lose: until it is confirmed here, nothing is trimmed.
namespace klipo::historylimit {

// Set (true) while the limit waits for the user's confirmation.
inline const QString kUnconfirmedKey = QStringLiteral("historyLimitUnconfirmed");

bool isConfirmed(const platform::SettingsStore& settings);
// Main thread.
void setConfirmed(platform::SettingsStore& settings, bool confirmed);

// At start: when the settings file had to be set aside and no limit was
// chosen since, the default limit now in force is not the user's.
void noteSettingsRecovery(platform::SettingsStore& settings);

}  // namespace klipo::historylimit
