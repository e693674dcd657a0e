#include "app/shell/HotKeyReport.h"

#include "app/PrefsShortcutRegistry.h"

#include <algorithm>

namespace klipo::HotKeyReport {

namespace {

QString reason(ShellHotKeyState state)
{
    switch (state) {
    case ShellHotKeyState::taken: return QStringLiteral("被其他程序占用");
    case ShellHotKeyState::unsupported: return QStringLiteral("当前会话或键盘不支持");
    case ShellHotKeyState::noModifier: return QStringLiteral("缺少 Ctrl、Alt 或 Super 键");
    case ShellHotKeyState::failed:
    case ShellHotKeyState::working: break;
    }
    return QStringLiteral("注册失败");
}

QString titleOf(const QString& name)
{
    for (const PrefsShortcutRegistry::Item& item : PrefsShortcutRegistry::items())
        if (item.name == name) return item.title;
    return name;
}

}  // namespace

std::optional<Toast> launchToast(const QList<Refused>& refused, const QStringList& resetNames,
                                 const std::function<std::optional<QString>(const QString&)>& shortcutText)
{
    if (refused.isEmpty() && resetNames.isEmpty()) return std::nullopt;
    const auto textOf = [&](const QString& name) { return shortcutText(name).value_or(titleOf(name)); };
    const bool allTaken = std::all_of(refused.begin(), refused.end(),
                                      [](const Refused& r) { return r.state == ShellHotKeyState::taken; });
    if (resetNames.isEmpty() && allTaken) {
        QStringList texts;
        for (const Refused& r : refused) texts << textOf(r.name);
        return Toast{QStringLiteral("快捷键被其他程序占用"),
                     texts.join(QStringLiteral("、")) + QStringLiteral(" 无法使用，可在「设置」中更换")};
    }

    QStringList parts;
    for (const Refused& r : refused) parts << textOf(r.name) + QLatin1Char(' ') + reason(r.state);
    for (const QString& name : resetNames) {
        const std::optional<QString> text = shortcutText(name);
        parts << QStringLiteral("「%1」的设置已损坏，").arg(titleOf(name)) +
                     (text ? QStringLiteral("已恢复为默认 %1").arg(*text) : QStringLiteral("已清除"));
    }
    Toast toast;
    toast.title = refused.isEmpty() ? QStringLiteral("快捷键设置已修复") : QStringLiteral("部分快捷键无法使用");
    toast.subtitle = parts.join(QStringLiteral("；"));
    if (!refused.isEmpty()) toast.subtitle += QStringLiteral("。可在「设置」中更换");
    return toast;
}

}  // namespace klipo::HotKeyReport
