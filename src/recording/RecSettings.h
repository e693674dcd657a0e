#pragma once

#include "recording/RecOptions.h"

#include <QLatin1String>

namespace klipo::SettingsKey {
inline constexpr QLatin1String recFormat{"recFormat"};
inline constexpr QLatin1String recFPS{"recFPS"};
inline constexpr QLatin1String recMicrophone{"recMicrophone"};
}  // namespace klipo::SettingsKey

// The recording's stored choices.
namespace klipo::Settings {

// Exactly "mov" gives mov; anything else (absent, "MOV", "mp4" ...) mp4.
RecFormat recFormat();
// 15, 30 or 60 as stored; any other value, or none, 30.
int recFPS();
// The stored microphone choice, false when absent.
bool recMicrophone();

// Keeps the options chosen for a recording as the next one's defaults.
void storeRecOptions(const RecOptions& options);

}  // namespace klipo::Settings
