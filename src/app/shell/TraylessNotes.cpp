#include "app/shell/TraylessNotes.h"

namespace klipo::TraylessNotes {

namespace {
const QString kWayBack = QStringLiteral("再次启动 KlipoVersa 即可重新打开资料库窗口");
}  // namespace

Note atLaunch(const Note* launchToast)
{
    if (launchToast)
        return {launchToast->title,
                launchToast->subtitle + QStringLiteral("\n没有找到系统托盘：") + kWayBack + QStringLiteral("。")};
    return {QStringLiteral("没有找到系统托盘"),
            QStringLiteral("KlipoVersa 在后台运行，快捷键照常可用；关闭资料库窗口后，") + kWayBack +
                QStringLiteral("。托盘出现后图标会自动加入。")};
}

Note libraryClosed()
{
    return {QStringLiteral("KlipoVersa 仍在后台运行"),
            QStringLiteral("没有系统托盘：点此或") + kWayBack + QStringLiteral("，快捷键照常可用。")};
}

Note countdown(int seconds)
{
    return {QStringLiteral("%1 秒后截图").arg(seconds), QStringLiteral("延时截图：倒计时结束后开始截图")};
}

}  // namespace klipo::TraylessNotes
