#include "recording/RecSettings.h"

#include "app/SettingsReading.h"
#include "platform/SettingsStore.h"

namespace klipo::Settings {

namespace {
platform::SettingsStore& store() { return platform::SettingsStore::shared(); }
}  // namespace

RecFormat recFormat()
{
    const QJsonValue value = store().value(SettingsKey::recFormat);
    return value.isString() && value.toString() == QLatin1String("mov") ? RecFormat::mov : RecFormat::mp4;
}

int recFPS()
{
    const int fps = SettingsReading::integer(store(), SettingsKey::recFPS, 0);
    return fps == 15 || fps == 30 || fps == 60 ? fps : 30;
}

bool recMicrophone() { return SettingsReading::plainBool(store(), SettingsKey::recMicrophone); }

void storeRecOptions(const RecOptions& options)
{
    store().setValue(SettingsKey::recFormat, rawValue(options.format));
    store().setValue(SettingsKey::recFPS, options.fps);
    store().setValue(SettingsKey::recMicrophone, options.microphone);
}

}  // namespace klipo::Settings
