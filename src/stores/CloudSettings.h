#pragma once

#include "stores/CloudBackup.h"

#include <QStringList>

namespace klipo {

namespace platform {
class SettingsStore;
}

// The three settings a backup carries, as texts: "targetLanguage",
// "historyLimit" and "saveHistory".
namespace cloudsettings {

// The settings as this computer has them now. Any thread.
CloudBackup::Settings payload(const platform::SettingsStore& settings);

// Applies a downloaded payload key by key, each only in a form that cannot
// cost data: a history limit only when it keeps all `localRecordCount`
// records (below 1, or at least that many), and then only as a limit that
// waits for this computer's confirmation before it trims (historylimit);
// "saveHistory" only as exactly
// "true" or "false", a target language only as a language code. A missing key
// changes nothing. Main thread.
struct Outcome {
    int applied = 0;
    QStringList refused;  // for the user: what was not applied and why
};
Outcome apply(platform::SettingsStore& settings, const CloudBackup::Settings& payload, qsizetype localRecordCount);

// True for a code such as "en", "zh-Hans" or "pt-BR".
bool isLanguageCode(const QString& text);

}  // namespace cloudsettings

}  // namespace klipo
