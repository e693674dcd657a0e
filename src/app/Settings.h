#pragma once

#include "app/SettingsTypes.h"

#include <QList>
#include <QString>

// The program's settings: static getters over the user-defaults store
// (platform::SettingsStore::shared()). Every call reads the store afresh and
// repeats the key's default; nothing registers defaults. Feature libraries add
// their own getters to this namespace in their own files.
namespace klipo::Settings {

// Plain Boolean reads (false when absent).
bool menuBarOnly();
bool captureSoundEnabled();
bool captureShowNotification();
bool captureIncludeCursor();
bool captureScaleRetinaTo1x();

// Booleans that default to true: only a stored Boolean counts.
bool selCaptureOverlayEnabled();
bool saveHistory();
bool indexCaptureText();
bool selShowHintPanel();
bool plainCaptureCopyToClipboard();
bool plainCaptureShowHUD();
bool autoSaveCapture();
bool autoCloudSync();

// Enumerations: an absent or unknown value gives the first case.
PrefsAppearanceTheme appearanceTheme();
PrefsAfterCaptureAction captureAfterAction();
QuickColorFormat quickColorFormat();
// Only "jpeg" gives jpeg; anything else png.
CaptureFileFormat plainCaptureFormat();

// Strings with defaults: absent or empty gives the default.
QString captureSoundName();         // "Tink"
QString captureFileNameTemplate();  // "截图 %F %T"
QString targetLanguage();           // "zh-Hans"

// Integers: a stored whole number, else the default. Below 1 means no limit.
int historyLimit();  // 300

// The capture folder: the stored path when it names an existing folder,
// otherwise the user's Desktop folder. The folder may still have to be made.
QString plainCaptureDirectory();
// The user's Desktop folder (home/Desktop when the desktop names none).
QString defaultPlainCaptureDirectory();
// The name the file manager shows for the capture folder.
QString plainCaptureDirectoryDisplayName();
// Where every save dialog starts: the capture folder when it exists, else the
// Pictures folder when it exists, else home. Always an existing folder, so a
// dialog never falls back to the working folder.
QString saveDialogFolder();
// That folder with `fileName` in it.
QString saveDialogPath(const QString& fileName);

struct LanguageOption {
    QString code;
    QString name;
};
// The translation targets the preferences offer, in order.
const QList<LanguageOption>& supportedLanguages();

struct HistoryLimitOption {
    int value;  // 0: no limit
    QString label;
};
const QList<HistoryLimitOption>& historyLimitOptions();

}  // namespace klipo::Settings
