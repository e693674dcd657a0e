#include "app/UnreadableSettings.h"

#include "app/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "platform/StorageAlerts.h"

#include <QJsonValue>

#include <climits>
#include <cmath>

namespace klipo {

namespace {

using Kind = UnreadableSettings::Kind;

bool readable(const UnreadableSettings::Entry& entry, const QJsonValue& value)
{
    switch (entry.kind) {
    case Kind::boolean: return value.isBool();
    case Kind::looseBoolean: return value.isBool() || value.isDouble() || value.isString();
    case Kind::integer: {
        if (!value.isDouble()) return false;
        const double number = value.toDouble();
        return std::trunc(number) == number && number >= INT_MIN && number <= INT_MAX;
    }
    case Kind::text: return value.isString();
    case Kind::choice: return value.isString() && entry.choices.contains(value.toString());
    }
    return true;
}

QString quotedTitles(const QStringList& keys)
{
    QStringList titles;
    for (const UnreadableSettings::Entry& entry : UnreadableSettings::entries())
        if (keys.contains(entry.key)) titles << QStringLiteral("「%1」").arg(entry.title);
    return titles.join(QString());
}

}  // namespace

const QList<UnreadableSettings::Entry>& UnreadableSettings::entries()
{
    namespace K = SettingsKey;
    static const QList<Entry> list{
        {K::menuBarOnly, QStringLiteral("仅在托盘显示"), Kind::looseBoolean, {}},
        {K::appearanceTheme, QStringLiteral("外观主题"), Kind::choice, {"system", "light", "dark"}},
        {K::interfaceLanguage, QStringLiteral("界面语言"), Kind::text, {}},
        {K::targetLanguage, QStringLiteral("目标语言"), Kind::text, {}},
        {K::autoSaveCapture, QStringLiteral("自动保存到文件夹"), Kind::boolean, {}},
        {K::plainCaptureDirectory, QStringLiteral("保存位置"), Kind::text, {}},
        {K::plainCaptureFormat, QStringLiteral("文件格式"), Kind::choice, {"png", "jpeg"}},
        {K::captureFileNameTemplate, QStringLiteral("文件名模板"), Kind::text, {}},
        {K::plainCaptureCopyToClipboard, QStringLiteral("复制到剪贴板"), Kind::boolean, {}},
        {K::plainCaptureShowHUD, QStringLiteral("显示右下角悬浮提示"), Kind::boolean, {}},
        {K::captureShowNotification, QStringLiteral("发送系统通知"), Kind::looseBoolean, {}},
        {K::captureSoundEnabled, QStringLiteral("播放提示音"), Kind::looseBoolean, {}},
        {K::captureSoundName, QStringLiteral("提示音"), Kind::text, {}},
        {K::captureAfterAction, QStringLiteral("截图后行为"), Kind::choice, {"none", "revealInFinder", "openInPreview"}},
        {K::selShowHintPanel, QStringLiteral("截图时显示快捷键提示"), Kind::boolean, {}},
        {K::captureIncludeCursor, QStringLiteral("捕获鼠标指针"), Kind::looseBoolean, {}},
        {K::captureScaleRetinaTo1x, QStringLiteral("高分屏截图缩小到 1x"), Kind::looseBoolean, {}},
        {K::selCaptureOverlayEnabled, QStringLiteral("截图覆盖层"), Kind::boolean, {}},
        {QLatin1String("scrollCropTop"), QStringLiteral("滚动截图裁除顶部"), Kind::integer, {}},
        {K::saveHistory, QStringLiteral("保存历史记录"), Kind::boolean, {}},
        {K::historyLimit, QStringLiteral("保留条数"), Kind::integer, {}},
        {K::indexCaptureText, QStringLiteral("识别普通截图里的文字"), Kind::boolean, {}},
        {QLatin1String("autoCloudSync"), QStringLiteral("自动同步"), Kind::boolean, {}},
        {QLatin1String("cloudBackupFolder"), QStringLiteral("备份文件夹"), Kind::text, {}},
        {K::quickColorFormat, QStringLiteral("取色格式"), Kind::choice, {"hex", "rgb", "rgba"}},
        {QLatin1String("quickDelaySeconds"), QStringLiteral("延时截图秒数"), Kind::integer, {}},
        {QLatin1String("recFormat"), QStringLiteral("录屏格式"), Kind::choice, {"mp4", "mov"}},
        {QLatin1String("recFPS"), QStringLiteral("录屏帧率"), Kind::integer, {}},
        {QLatin1String("recMicrophone"), QStringLiteral("录制麦克风"), Kind::looseBoolean, {}},
    };
    return list;
}

QStringList UnreadableSettings::unreadableKeys(const platform::SettingsStore& store)
{
    QStringList keys;
    for (const Entry& entry : entries()) {
        const QJsonValue value = store.value(entry.key);
        if (!value.isUndefined() && !readable(entry, value)) keys << entry.key;
    }
    return keys;
}

UnreadableSettings::UnreadableSettings(platform::SettingsStore& store, QObject* parent)
    : QObject(parent), m_store(store)
{
    tellOfNew(unreadableKeys(store));
    connect(&store, &platform::SettingsStore::valueChanged, this, [this](const QString& key) {
        const QStringList now = unreadableKeys(m_store);
        // Mended, or changed by the user: a later bad value is news again.
        if (!now.contains(key)) m_told.remove(key);
        tellOfNew(now);
    });
}

void UnreadableSettings::tellOfNew(const QStringList& keys)
{
    QStringList fresh;
    for (const QString& key : keys)
        if (!m_told.contains(key)) fresh << key;
    if (fresh.isEmpty()) return;
    for (const QString& key : std::as_const(fresh)) m_told.insert(key);
    QString detail = quotedTitles(fresh) + QStringLiteral("的值类型不对，暂按默认值使用；设置文件中的原值未改动，"
                                                           "到「设置」里重新选择即可更正");
    if (fresh.contains(SettingsKey::historyLimit)) detail += QStringLiteral("。确认保留条数之前不会删除任何历史记录");
    platform::storagealerts::report(QStringLiteral("有 %1 项设置无法读取").arg(fresh.size()), detail);
}

}  // namespace klipo
