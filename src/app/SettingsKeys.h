#pragma once

#include <QLatin1String>

// The names under which settings are stored in the user-defaults store. The
// preferences write these keys, the getters in Settings read them.
namespace klipo::SettingsKey {

inline constexpr QLatin1String menuBarOnly{"menuBarOnly"};
inline constexpr QLatin1String appearanceTheme{"appearanceTheme"};
inline constexpr QLatin1String selCaptureOverlayEnabled{"selCaptureOverlayEnabled"};
inline constexpr QLatin1String quickColorFormat{"quickColorFormat"};
inline constexpr QLatin1String shortcutSlimMigrated{"shortcutSlimMigrated_v1"};
inline constexpr QLatin1String captureSoundEnabled{"captureSoundEnabled"};
inline constexpr QLatin1String captureSoundName{"captureSoundName"};
inline constexpr QLatin1String captureShowNotification{"captureShowNotification"};
inline constexpr QLatin1String captureAfterAction{"captureAfterAction"};
inline constexpr QLatin1String captureFileNameTemplate{"captureFileNameTemplate"};
inline constexpr QLatin1String captureIncludeCursor{"captureIncludeCursor"};
inline constexpr QLatin1String captureScaleRetinaTo1x{"captureScaleRetinaTo1x"};
inline constexpr QLatin1String saveHistory{"saveHistory"};
inline constexpr QLatin1String targetLanguage{"targetLanguage"};
inline constexpr QLatin1String indexCaptureText{"indexCaptureText"};
inline constexpr QLatin1String selShowHintPanel{"selShowHintPanel"};
inline constexpr QLatin1String plainCaptureDirectory{"plainCaptureDirectory"};
inline constexpr QLatin1String plainCaptureFormat{"plainCaptureFormat"};
inline constexpr QLatin1String plainCaptureCopyToClipboard{"plainCaptureCopyToClipboard"};
inline constexpr QLatin1String plainCaptureShowHUD{"plainCaptureShowHUD"};
inline constexpr QLatin1String autoSaveCapture{"autoSaveCapture"};
inline constexpr QLatin1String historyLimit{"historyLimit"};
inline constexpr QLatin1String autoCloudSync{"autoCloudSync"};
// The interface language chosen in the preferences; read at the next launch.
inline constexpr QLatin1String interfaceLanguage{"interfaceLanguage"};

}  // namespace klipo::SettingsKey
