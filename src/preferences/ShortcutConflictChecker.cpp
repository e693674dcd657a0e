#include "preferences/ShortcutConflictChecker.h"

#include "app/PrefsShortcutRegistry.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/hotkeys/DesktopShortcuts.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/HotKeyService.h"

#include <QHash>

#include <optional>

namespace klipo::ShortcutConflictChecker {

namespace {

namespace GS = GlobalShortcuts;
namespace M = platform::StoredModifier;

// Control, Alt (option) or Super (command): a modifier that keeps a key from
// firing while the user types.
constexpr qint64 kRealModifiers = M::control | M::option | M::command;
// Shortcuts are compared on these; Fn and lock keys never take part.
constexpr qint64 kCompared = kRealModifiers | M::shift;

// Commands nearly every application binds to Ctrl plus the key.
const QHash<qint64, QString>& commonMenuCommands()
{
    static const QHash<qint64, QString> commands{
        {12, QStringLiteral("退出应用（Ctrl+Q）")},   {13, QStringLiteral("关闭窗口（Ctrl+W）")},
        {1, QStringLiteral("保存（Ctrl+S）")},        {8, QStringLiteral("复制（Ctrl+C）")},
        {9, QStringLiteral("粘贴（Ctrl+V）")},        {7, QStringLiteral("剪切（Ctrl+X）")},
        {6, QStringLiteral("撤销（Ctrl+Z）")},        {0, QStringLiteral("全选（Ctrl+A）")},
        {45, QStringLiteral("新建（Ctrl+N）")},       {31, QStringLiteral("打开（Ctrl+O）")},
        {35, QStringLiteral("打印（Ctrl+P）")},       {3, QStringLiteral("查找（Ctrl+F）")},
        {17, QStringLiteral("新建标签页（Ctrl+T）")}, {15, QStringLiteral("重新载入（Ctrl+R）")},
        {46, QStringLiteral("最小化窗口（Ctrl+M）")}, {4, QStringLiteral("历史记录（Ctrl+H）")},
        {43, QStringLiteral("打开设置（Ctrl+,）")},
    };
    return commands;
}

qint64 compared(qint64 modifiers) { return modifiers & kCompared; }

bool sameCombination(const GS::Shortcut& a, const GS::Shortcut& b)
{
    return a.carbonKeyCode == b.carbonKeyCode && compared(a.carbonModifiers) == compared(b.carbonModifiers);
}

struct ManagedShortcut {
    const GS::Name* name;
    QString title;
};

QList<ManagedShortcut> managedShortcuts()
{
    QList<ManagedShortcut> list;
    for (const PrefsShortcutRegistry::Item& item : PrefsShortcutRegistry::items()) {
        if (const GS::Name* name = nameFor(item.name)) list.append({name, item.title});
    }
    return list;
}

std::optional<QString> duplicatedInApp(const GS::Shortcut& shortcut, const std::optional<GS::Name>& excluding)
{
    QStringList titles;
    for (const ManagedShortcut& item : managedShortcuts()) {
        if (excluding && item.name->rawValue() == excluding->rawValue()) continue;
        const std::optional<GS::Shortcut> stored = GS::getShortcut(*item.name);
        if (stored && sameCombination(*stored, shortcut)) titles.append(item.title);
    }
    if (excluding) return titles.isEmpty() ? std::nullopt : std::optional(titles.first());
    if (titles.size() < 2) return std::nullopt;
    return titles.join(QStringLiteral("、"));
}

// One of our names holds this combination on the display right now.
bool heldByUs(const GS::Shortcut& shortcut)
{
    for (const ManagedShortcut& item : managedShortcuts()) {
        const std::optional<GS::Shortcut> stored = GS::getShortcut(*item.name);
        if (stored && sameCombination(*stored, shortcut) &&
            GS::registration(*item.name).state == GS::Registration::State::registered)
            return true;
    }
    return false;
}

// Another X client holds the combination: the name's own refused registration
// says so, or a test grab finds it. A combination we hold is never probed.
bool takenByAnotherProgram(const GS::Shortcut& shortcut, const std::optional<GS::Name>& excluding)
{
    if (excluding) {
        const std::optional<GS::Shortcut> own = GS::getShortcut(*excluding);
        if (own && sameCombination(*own, shortcut)) {
            const GS::Registration::State state = GS::registration(*excluding).state;
            if (state == GS::Registration::State::taken) return true;
            if (state == GS::Registration::State::registered) return false;
        }
    }
    if (heldByUs(shortcut)) return false;
    return platform::hotKeyService().probe(shortcut.combination()).status == platform::HotKeyOutcome::Status::taken;
}

struct DesktopBinding {
    QString desktop;
    QString action;
};

// The desktop's bindings, read at most once per call of check() or allConflicts().
class DesktopReading {
public:
    const platform::DesktopBindings& bindings()
    {
        if (!m_bindings) m_bindings = platform::desktopShortcuts().readBindings();
        return *m_bindings;
    }

private:
    std::optional<platform::DesktopBindings> m_bindings;
};

std::optional<DesktopBinding> desktopBindingFor(const GS::Shortcut& shortcut, DesktopReading& desktop)
{
    const platform::DesktopBindings& found = desktop.bindings();
    for (const platform::DesktopKeyBinding& binding : found.bindings) {
        if (binding.combination.keyCode == shortcut.carbonKeyCode &&
            compared(binding.combination.modifiers) == compared(shortcut.carbonModifiers))
            return DesktopBinding{found.desktop, binding.action};
    }
    return std::nullopt;
}

std::optional<QString> systemConflict(const QString& d, const GS::Shortcut& shortcut,
                                      const std::optional<GS::Name>& excluding, DesktopReading& desktop)
{
    const bool taken = takenByAnotherProgram(shortcut, excluding);
    if (!taken && heldByUs(shortcut)) return std::nullopt;
    const std::optional<DesktopBinding> binding = desktopBindingFor(shortcut, desktop);
    const QString turnOff = QStringLiteral("请换一个组合，或到桌面环境的键盘快捷键设置里关掉它。");
    if (taken && binding)
        return d + QStringLiteral(" 已被 %1 的「%2」占用，按下时不会触发截图。").arg(binding->desktop, binding->action) +
               turnOff;
    if (taken)
        return d + QStringLiteral(" 已被另一个程序占用，按下时不会触发截图。请换一个组合，或关掉那个程序里的这个快捷键。");
    if (binding)
        return d +
               QStringLiteral(" 可能已被 %1 的「%2」占用，按下时可能不会触发截图。").arg(binding->desktop, binding->action) +
               turnOff;
    return std::nullopt;
}

}  // namespace

const GS::Name* nameFor(const QString& rawName)
{
    static const GS::Name* const all[] = {
        &GS::Name::captureTranslate(), &GS::Name::captureFullScreenTranslate(), &GS::Name::plainCapture(),
        &GS::Name::recordScreen(),     &GS::Name::scrollCapture(),              &GS::Name::delayedCapture(),
        &GS::Name::repeatLastArea(),   &GS::Name::colorPicker(),                &GS::Name::captureAnnotate(),
        &GS::Name::pinFromClipboard()};
    for (const GS::Name* name : all)
        if (name->rawValue() == rawName) return name;
    return nullptr;
}

std::optional<QString> titleFor(const QString& rawName)
{
    for (const PrefsShortcutRegistry::Item& item : PrefsShortcutRegistry::items())
        if (item.name == rawName) return item.title;
    return std::nullopt;
}

static std::optional<QString> checkWith(const GS::Shortcut& shortcut, const std::optional<GS::Name>& excluding,
                                 DesktopReading& desktop)
{
    const QString d = shortcut.description();
    const qint64 modifiers = shortcut.carbonModifiers;

    if (!(modifiers & kRealModifiers) && !shortcut.keyStandsAlone()) {
        const QString lead = (modifiers & M::shift) ? QStringLiteral(" 只带 Shift 修饰键。") : QStringLiteral(" 没有修饰键。");
        return d + lead +
               QStringLiteral("全局快捷键会抢在所有应用之前响应，你在任何输入框里按这个键都会误触发截图，"
                              "所以本应用不会注册它。请至少加上 Ctrl、Alt 或 Super。");
    }

    if (const std::optional<QString> other = duplicatedInApp(shortcut, excluding)) {
        // A press runs only one of them: say which.
        const std::optional<QString> runner = GS::nameRunBy(shortcut);
        if (const std::optional<QString> title = runner ? titleFor(*runner) : std::nullopt)
            return d +
                   QStringLiteral(" 与本应用的「%1」重复，按下时只会执行「%2」。请改用别的组合。").arg(*other, *title);
        return d + QStringLiteral(" 与本应用的「%1」重复，两者只会有一个生效。请改用别的组合。").arg(*other);
    }

    if (std::optional<QString> system = systemConflict(d, shortcut, excluding, desktop)) return system;

    if (compared(modifiers) == M::control) {
        const auto it = commonMenuCommands().constFind(shortcut.carbonKeyCode);
        if (it != commonMenuCommands().cend())
            return d + QStringLiteral(" 是几乎所有应用都在用的「%1」。").arg(*it) +
                   QStringLiteral("设成全局快捷键后，你在任何应用里都用不了这个功能了，建议加上 Alt 或 Shift 再用。");
    }
    return std::nullopt;
}

std::optional<QString> check(const GS::Shortcut& shortcut, const std::optional<GS::Name>& excluding)
{
    DesktopReading desktop;
    return checkWith(shortcut, excluding, desktop);
}

QList<Conflict> allConflicts()
{
    DesktopReading desktop;
    QList<Conflict> conflicts;
    for (const ManagedShortcut& item : managedShortcuts()) {
        const std::optional<GS::Shortcut> stored = GS::getShortcut(*item.name);
        if (!stored) continue;
        if (const std::optional<QString> message = checkWith(*stored, *item.name, desktop))
            conflicts.append({item.title, *message});
    }
    return conflicts;
}

}  // namespace klipo::ShortcutConflictChecker
