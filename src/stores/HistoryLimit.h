#pragma once

#include <QString>

namespace klipo::platform {
class SettingsStore;
}

// Whether the history limit in force was chosen on this computer. A limit
// that came from elsewhere (another computer's backup, the default that took
// the place of a damaged settings file, or the default that stands in for a
// stored value that is no whole number) could delete records the user never
// agreed to lose: until it is confirmed here, nothing is trimmed.
namespace klipo::historylimit {

// Set (true) while the limit waits for the user's confirmation.
inline const QString kUnconfirmedKey = QStringLiteral("historyLimitUnconfirmed");

// False while the mark waits, and while the stored limit cannot be read
// (text such as "0", a fraction ...): the default in its place is no choice.
bool isConfirmed(const platform::SettingsStore& settings);
// True when "historyLimit" holds a value that is no whole number of an int.
bool isUnreadable(const platform::SettingsStore& settings);
// Main thread.
void setConfirmed(platform::SettingsStore& settings, bool confirmed);

// At start: when the settings file had to be set aside and no limit was
// chosen since, the default limit now in force is not the user's.
void noteSettingsRecovery(platform::SettingsStore& settings);

}  // namespace klipo::historylimit
