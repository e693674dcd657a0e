#include "app/shell/HotKeyReport.h"

#include "app/PrefsShortcutRegistry.h"

#include <algorithm>

namespace klipo::HotKeyReport {

namespace {

// The title when every refusal has the same reason, and the short reason of a
// mixed list (the toast has one line for it).
QString titleFor(ShellHotKeyState state)
{
    switch (state) {
    case ShellHotKeyState::taken: return QStringLiteral("快捷键被其他程序占用");
    case ShellHotKeyState::noModifier: return QStringLiteral("快捷键需含 Ctrl、Alt 或 Super");
    case ShellHotKeyState::unsupported: return QStringLiteral("当前会话不支持这些快捷键");
    case ShellHotKeyState::duplicate: return QStringLiteral("快捷键与本应用的其他快捷键重复");
    case ShellHotKeyState::failed:
    case ShellHotKeyState::working: break;
    }
    return QStringLiteral("快捷键注册失败");
}

QString reasonFor(ShellHotKeyState state)
{
    switch (state) {
    case ShellHotKeyState::taken: return QStringLiteral("被占用");
    case ShellHotKeyState::noModifier: return QStringLiteral("缺少修饰键");
    case ShellHotKeyState::unsupported: return QStringLiteral("不支持");
    case ShellHotKeyState::duplicate: return QStringLiteral("与其他快捷键重复");
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
    const auto textOf = [&](const QString& name) { return shortcutText(name).value_or(titleOf(name)); };
    const auto resetText = [&](const QString& name) {
        return titleOf(name) + (shortcutText(name) ? QStringLiteral("已恢复默认") : QStringLiteral("已清除"));
    };
    if (refused.isEmpty()) {
        if (resetNames.isEmpty()) return std::nullopt;
        QStringList parts;
        for (const QString& name : resetNames) parts << resetText(name);
        return Toast{QStringLiteral("快捷键设置已损坏，已修复"), parts.join(QStringLiteral("、"))};
    }
    const bool oneReason = std::all_of(refused.begin(), refused.end(),
                                       [&](const Refused& r) { return r.state == refused.front().state; });
    if (oneReason && resetNames.isEmpty()) {
        QStringList texts;
        for (const Refused& r : refused) texts << textOf(r.name);
        return Toast{titleFor(refused.front().state),
                     texts.join(QStringLiteral("、")) + QStringLiteral(" 无法使用，可在「设置」中更换")};
    }
    QStringList parts;
    for (const Refused& r : refused) parts << textOf(r.name) + QLatin1Char(' ') + reasonFor(r.state);
    for (const QString& name : resetNames) parts << resetText(name);
    return Toast{QStringLiteral("部分快捷键无法使用"), parts.join(QStringLiteral("；"))};
}

}  // namespace klipo::HotKeyReport
