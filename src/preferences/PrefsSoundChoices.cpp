#include "preferences/PrefsSoundChoices.h"

#include "platform/CanberraSoundPlayer.h"

#include <QHash>

namespace klipo::PrefsSoundChoices {

QString title(const QString& storedName)
{
    // By the theme sound the player maps the name to.
    static const QHash<QString, QString> titles = {
        {QStringLiteral("camera-shutter"), QStringLiteral("相机快门")},
        {QStringLiteral("message"), QStringLiteral("消息")},
        {QStringLiteral("complete"), QStringLiteral("完成")},
        {QStringLiteral("bell"), QStringLiteral("铃声")},
        {QStringLiteral("device-added"), QStringLiteral("设备接入")},
        {QStringLiteral("audio-volume-change"), QStringLiteral("音量调节")},
        {QStringLiteral("service-login"), QStringLiteral("登录")},
        {QStringLiteral("dialog-information"), QStringLiteral("信息提示")},
        {QStringLiteral("window-question"), QStringLiteral("询问")},
        {QStringLiteral("dialog-warning"), QStringLiteral("警告")},
        {QStringLiteral("window-attention"), QStringLiteral("提醒")},
        {QStringLiteral("dialog-error"), QStringLiteral("错误")},
        {QStringLiteral("suspend-error"), QStringLiteral("挂起失败")},
        {QStringLiteral("message-new-instant"), QStringLiteral("新即时消息")},
    };
    return titles.value(platform::soundThemeEventId(storedName), storedName);
}

}  // namespace klipo::PrefsSoundChoices
