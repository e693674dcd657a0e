#include "app/Settings.h"

#include "app/SettingsKeys.h"
#include "app/SettingsReading.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace klipo::Settings {

namespace {
const platform::SettingsStore& store() { return platform::SettingsStore::shared(); }

bool plain(QLatin1String key) { return SettingsReading::plainBool(store(), key); }
bool defaultTrue(QLatin1String key) { return SettingsReading::boolDefaultTrue(store(), key); }

QString chosenCaptureDirectory()
{
    const QJsonValue v = store().value(SettingsKey::plainCaptureDirectory);
    return v.isString() ? v.toString() : QString();
}

QString lastComponent(const QString& path)
{
    const QString name = QFileInfo(QDir::cleanPath(path)).fileName();
    return name.isEmpty() ? path : name;
}
}  // namespace

bool menuBarOnly() { return plain(SettingsKey::menuBarOnly); }
bool captureSoundEnabled() { return plain(SettingsKey::captureSoundEnabled); }
bool captureShowNotification() { return plain(SettingsKey::captureShowNotification); }
bool captureIncludeCursor() { return plain(SettingsKey::captureIncludeCursor); }
bool captureScaleRetinaTo1x() { return plain(SettingsKey::captureScaleRetinaTo1x); }

bool selCaptureOverlayEnabled() { return defaultTrue(SettingsKey::selCaptureOverlayEnabled); }
bool saveHistory() { return defaultTrue(SettingsKey::saveHistory); }
bool indexCaptureText() { return defaultTrue(SettingsKey::indexCaptureText); }
bool selShowHintPanel() { return defaultTrue(SettingsKey::selShowHintPanel); }
bool plainCaptureCopyToClipboard() { return defaultTrue(SettingsKey::plainCaptureCopyToClipboard); }
bool plainCaptureShowHUD() { return defaultTrue(SettingsKey::plainCaptureShowHUD); }
bool autoSaveCapture() { return defaultTrue(SettingsKey::autoSaveCapture); }
bool autoCloudSync() { return defaultTrue(SettingsKey::autoCloudSync); }

PrefsAppearanceTheme appearanceTheme()
{
    return SettingsReading::enumeration<PrefsAppearanceTheme>(store(), SettingsKey::appearanceTheme);
}

PrefsAfterCaptureAction captureAfterAction()
{
    return SettingsReading::enumeration<PrefsAfterCaptureAction>(store(), SettingsKey::captureAfterAction);
}

QuickColorFormat quickColorFormat()
{
    return SettingsReading::enumeration<QuickColorFormat>(store(), SettingsKey::quickColorFormat);
}

CaptureFileFormat plainCaptureFormat()
{
    return SettingsReading::enumeration<CaptureFileFormat>(store(), SettingsKey::plainCaptureFormat);
}

QString captureSoundName()
{
    return SettingsReading::string(store(), SettingsKey::captureSoundName, QStringLiteral("Tink"));
}

QString captureFileNameTemplate()
{
    return SettingsReading::string(store(), SettingsKey::captureFileNameTemplate, QStringLiteral("截图 %F %T"));
}

QString targetLanguage()
{
    // An empty code would make every translation request fail; it reads as the default.
    return SettingsReading::string(store(), SettingsKey::targetLanguage, QStringLiteral("zh-Hans"));
}

int historyLimit() { return SettingsReading::integer(store(), SettingsKey::historyLimit, 300); }

QString defaultPlainCaptureDirectory()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty()) return desktop;
    return QDir(QDir::homePath()).filePath(QStringLiteral("Desktop"));
}

QString plainCaptureDirectory()
{
    const QString path = chosenCaptureDirectory();
    if (!path.isEmpty() && QFileInfo(path).isDir()) return QDir::cleanPath(path);
    return defaultPlainCaptureDirectory();
}

QString plainCaptureDirectoryDisplayName()
{
    QString shown = lastComponent(plainCaptureDirectory());
    // A chosen folder that is gone (on a share or disk not mounted) is never
    // made in its place: captures go to the default folder, and its name says why.
    const QString chosen = chosenCaptureDirectory();
    if (!chosen.isEmpty() && !QFileInfo(chosen).isDir())
        shown += (QFileInfo::exists(chosen) ? QStringLiteral("（所选的「%1」不是文件夹）")
                                            : QStringLiteral("（所选的「%1」不存在）"))
                     .arg(lastComponent(chosen));
    return shown;
}

QString saveDialogFolder()
{
    for (const QString& candidate :
         {plainCaptureDirectory(), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)}) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isDir()) return candidate;
    }
    return QDir::homePath();
}

QString saveDialogPath(const QString& fileName) { return QDir(saveDialogFolder()).filePath(fileName); }

const QList<LanguageOption>& supportedLanguages()
{
    static const QList<LanguageOption> list{
        {QStringLiteral("zh-Hans"), QStringLiteral("简体中文")},
        {QStringLiteral("zh-Hant"), QStringLiteral("繁體中文")},
        {QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("ja"), QStringLiteral("日本語")},
        {QStringLiteral("ko"), QStringLiteral("한국어")},
    };
    return list;
}

const QList<HistoryLimitOption>& historyLimitOptions()
{
    static const QList<HistoryLimitOption> list{
        {100, QStringLiteral("最近 100 条")},
        {300, QStringLiteral("最近 300 条")},
        {500, QStringLiteral("最近 500 条")},
        {1000, QStringLiteral("最近 1000 条")},
        {0, QStringLiteral("不限量（占用空间会持续增长）")},
    };
    return list;
}

}  // namespace klipo::Settings
