#include "platform/hotkeys/DesktopKeyBindings.h"

#include "platform/hotkeys/KeyPositions.h"

#include <QHash>
#include <QKeySequence>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace klipo::platform {

namespace {

namespace M = StoredModifier;

const QHash<QString, qint64>& namedKeys()
{
    static const QHash<QString, qint64> keys = {
        {"return", 36},
        {"tab", 48},
        {"space", 49},
        {"backspace", 51},
        {"escape", 53},
        {"delete", 117},
        {"insert", 114},
        {"home", 115},
        {"end", 119},
        {"prior", 116},
        {"page_up", 116},
        {"next", 121},
        {"page_down", 121},
        {"left", 123},
        {"right", 124},
        {"down", 125},
        {"up", 126},
        {"grave", 50},
        {"minus", 27},
        {"equal", 24},
        {"bracketleft", 33},
        {"bracketright", 30},
        {"backslash", 42},
        {"semicolon", 41},
        {"apostrophe", 39},
        {"comma", 43},
        {"period", 47},
        {"slash", 44},
        {"kp_enter", 76},
        {"f1", 122},
        {"f2", 120},
        {"f3", 99},
        {"f4", 118},
        {"f5", 96},
        {"f6", 97},
        {"f7", 98},
        {"f8", 100},
        {"f9", 101},
        {"f10", 109},
        {"f11", 103},
        {"f12", 111},
        {"f13", 105},
        {"f14", 107},
        {"f15", 113},
        {"f16", 106},
        {"f17", 64},
        {"f18", 79},
        {"f19", 80},
        {"f20", 90},
        // Qt's names of the same keys, as KDE writes them.
        {"esc", 53},
        {"del", 117},
        {"ins", 114},
        {"pgup", 116},
        {"pgdown", 121},
        {"enter", 36},
        // PC keys (X keysyms, then Qt's names), with their Alt and Control forms.
        {"print", 256},
        {"sys_req", 256},
        {"sysreq", 256},
        {"scroll_lock", 257},
        {"scrolllock", 257},
        {"pause", 258},
        {"break", 258},
        {"menu", 259},
    };
    return keys;
}

std::optional<qint64> keyCodeForCharacter(QChar c)
{
    const char16_t lower = c.toLower().unicode();
    for (const KeyPosition& p : keyPositions()) {
        if (p.usCharacter != 0 && (p.usCharacter == lower || p.usShifted == c.unicode())) return p.keyCode;
    }
    return std::nullopt;
}

const QHash<QString, QString>& openboxActions()
{
    static const QHash<QString, QString> names = {
        {"nextwindow", "切换到下一个窗口"},
        {"previouswindow", "切换到上一个窗口"},
        {"directionalcyclewindows", "按方向切换窗口"},
        {"directionaltargetwindow", "按方向切换窗口"},
        {"gotodesktop", "切换桌面"},
        {"sendtodesktop", "把窗口移到另一个桌面"},
        {"toggleshowdesktop", "显示桌面"},
        {"close", "关闭窗口"},
        {"iconify", "最小化窗口"},
        {"maximize", "最大化窗口"},
        {"togglemaximize", "最大化窗口"},
        {"unmaximize", "还原窗口"},
        {"togglefullscreen", "全屏"},
        {"lower", "把窗口放到最下层"},
        {"raise", "把窗口放到最上层"},
        {"showmenu", "显示菜单"},
        {"move", "移动窗口"},
        {"resize", "调整窗口大小"},
        {"reconfigure", "重新载入设置"},
        {"restart", "重新启动 Openbox"},
        {"exit", "退出 Openbox"},
        {"shade", "卷起窗口"},
        {"toggleshade", "卷起窗口"},
        {"focus", "聚焦窗口"},
    };
    return names;
}

QString openboxActionName(const QString& action, const QString& command)
{
    if (action.compare(QLatin1String("Execute"), Qt::CaseInsensitive) == 0)
        return command.isEmpty() ? QStringLiteral("运行命令") : QStringLiteral("运行 %1").arg(command.simplified());
    return openboxActions().value(action.toLower(), action);
}

// "C-A-Left": modifier letters joined by "-", the key last.
std::optional<KeyCombination> openboxCombination(const QString& keyText)
{
    const QString first = keyText.trimmed().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    const QStringList parts = first.split(QLatin1Char('-'));
    if (parts.isEmpty() || parts.last().isEmpty()) return std::nullopt;
    KeyCombination combination;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QString m = parts[i];
        if (m == QLatin1String("S")) combination.modifiers |= M::shift;
        else if (m == QLatin1String("C")) combination.modifiers |= M::control;
        else if (m == QLatin1String("A") || m == QLatin1String("M") || m == QLatin1String("Mod1"))
            combination.modifiers |= M::option;
        else if (m == QLatin1String("W") || m == QLatin1String("H") || m == QLatin1String("Mod4"))
            combination.modifiers |= M::command;
        else
            return std::nullopt;  // a modifier our shortcuts never use
    }
    const std::optional<qint64> code = keyCodeForKeysymName(parts.last());
    if (!code) return std::nullopt;
    combination.keyCode = *code;
    return combination;
}

std::optional<KeyCombination> qtCombination(const QString& text)
{
    const QKeySequence sequence = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    if (sequence.isEmpty()) return std::nullopt;
    const QKeyCombination key = sequence[0];
    KeyCombination combination;
    const Qt::KeyboardModifiers mods = key.keyboardModifiers();
    if (mods & Qt::ShiftModifier) combination.modifiers |= M::shift;
    if (mods & Qt::ControlModifier) combination.modifiers |= M::control;
    if (mods & Qt::AltModifier) combination.modifiers |= M::option;
    if (mods & Qt::MetaModifier) combination.modifiers |= M::command;
    const int qtKey = int(key.key());
    std::optional<qint64> code;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F20)
        code = keyCodeForKeysymName(QStringLiteral("F%1").arg(qtKey - Qt::Key_F1 + 1));
    else if (qtKey > 0x20 && qtKey < 0x7f)
        code = keyCodeForCharacter(QChar(qtKey));
    else
        code = keyCodeForKeysymName(QKeySequence(qtKey).toString(QKeySequence::PortableText));
    if (!code) return std::nullopt;
    combination.keyCode = *code;
    return combination;
}

const QHash<QString, QString>& kdeActions()
{
    static const QHash<QString, QString> names = {
        {"Walk Through Windows", "切换窗口"},
        {"Walk Through Windows (Reverse)", "反向切换窗口"},
        {"Walk Through Windows of Current Application", "切换同一应用的窗口"},
        {"Show Desktop", "显示桌面"},
        {"Window Close", "关闭窗口"},
        {"Window Maximize", "最大化窗口"},
        {"Window Minimize", "最小化窗口"},
        {"Expose", "显示所有窗口"},
        {"ExposeAll", "显示所有桌面的窗口"},
        {"Overview", "概览"},
        {"Kill Window", "强制关闭窗口"},
        {"Window Operations Menu", "窗口操作菜单"},
        {"activate application launcher", "打开应用程序启动器"},
        {"_launch", "启动应用"},
        {"Log Out", "注销"},
        {"Lock Session", "锁定屏幕"},
        {"RectangularRegionScreenShot", "截取矩形区域"},
        {"FullScreenScreenShot", "截取全屏"},
        {"ActiveWindowScreenShot", "截取活动窗口"},
        {"Switch to Next Keyboard Layout", "切换键盘布局"},
    };
    return names;
}

const QHash<QString, QString>& gnomeActions()
{
    static const QHash<QString, QString> names = {
        {"switch-applications", "切换应用程序"},
        {"switch-applications-backward", "反向切换应用程序"},
        {"switch-windows", "切换窗口"},
        {"switch-windows-backward", "反向切换窗口"},
        {"switch-group", "切换同一应用的窗口"},
        {"cycle-windows", "循环切换窗口"},
        {"show-desktop", "显示桌面"},
        {"panel-main-menu", "显示活动概览"},
        {"toggle-overview", "显示活动概览"},
        {"toggle-application-view", "显示应用程序"},
        {"toggle-message-tray", "显示通知列表"},
        {"close", "关闭窗口"},
        {"minimize", "最小化窗口"},
        {"maximize", "最大化窗口"},
        {"toggle-maximized", "最大化窗口"},
        {"toggle-fullscreen", "全屏"},
        {"activate-window-menu", "窗口菜单"},
        {"switch-input-source", "切换输入法"},
        {"switch-input-source-backward", "反向切换输入法"},
        {"screenshot", "截图"},
        {"show-screenshot-ui", "截图"},
        {"screenshot-window", "截取窗口"},
        {"window-screenshot", "截取窗口"},
        {"area-screenshot", "截取区域"},
        {"show-screen-recording-ui", "录屏"},
        {"screensaver", "锁定屏幕"},
        {"logout", "注销"},
        {"terminal", "打开终端"},
        {"home", "打开主文件夹"},
        {"www", "打开浏览器"},
        {"email", "打开邮件"},
        {"search", "搜索"},
        {"focus-active-notification", "聚焦当前通知"},
        {"begin-move", "移动窗口"},
        {"begin-resize", "调整窗口大小"},
    };
    return names;
}

QString gnomeActionName(const QString& key)
{
    static const QRegularExpression workspace(QStringLiteral("^(switch|move)-to-workspace-(\\w+)$"));
    const auto match = workspace.match(key);
    if (match.hasMatch()) {
        const QString which = match.captured(2);
        const QString target = which == QLatin1String("left")    ? QStringLiteral("左边的工作区")
                               : which == QLatin1String("right") ? QStringLiteral("右边的工作区")
                               : which == QLatin1String("up")    ? QStringLiteral("上面的工作区")
                               : which == QLatin1String("down")  ? QStringLiteral("下面的工作区")
                               : which == QLatin1String("last")  ? QStringLiteral("最后一个工作区")
                                                                 : QStringLiteral("工作区 %1").arg(which);
        return (match.captured(1) == QLatin1String("switch") ? QStringLiteral("切换到") : QStringLiteral("把窗口移到")) +
               target;
    }
    return gnomeActions().value(key, key);
}

// "<Control><Alt>t", "<Primary><Shift>Print", "<Super>Tab".
std::optional<KeyCombination> gnomeCombination(const QString& accelerator)
{
    static const QRegularExpression modifier(QStringLiteral("<([^>]+)>"));
    KeyCombination combination;
    qsizetype keyStart = 0;
    auto it = modifier.globalMatch(accelerator);
    while (it.hasNext()) {
        const auto match = it.next();
        if (match.capturedStart() != keyStart) return std::nullopt;
        keyStart = match.capturedEnd();
        const QString m = match.captured(1).toLower();
        if (m == QLatin1String("shift")) combination.modifiers |= M::shift;
        else if (m == QLatin1String("control") || m == QLatin1String("ctrl") || m == QLatin1String("primary") ||
                 m == QLatin1String("ctl"))
            combination.modifiers |= M::control;
        else if (m == QLatin1String("alt") || m == QLatin1String("mod1") || m == QLatin1String("meta"))
            combination.modifiers |= M::option;
        else if (m == QLatin1String("super") || m == QLatin1String("mod4") || m == QLatin1String("hyper"))
            combination.modifiers |= M::command;
        else
            return std::nullopt;
    }
    const std::optional<qint64> code = keyCodeForKeysymName(accelerator.mid(keyStart));
    if (!code) return std::nullopt;
    combination.keyCode = *code;
    return combination;
}

}  // namespace

std::optional<qint64> keyCodeForKeysymName(const QString& name)
{
    if (name.size() == 1) return keyCodeForCharacter(name[0]);
    const auto it = namedKeys().constFind(name.toLower());
    if (it == namedKeys().cend()) return std::nullopt;
    return *it;
}

QList<DesktopKeyBinding> parseOpenboxKeyBindings(const QByteArray& rcXml)
{
    QList<DesktopKeyBinding> bindings;
    QXmlStreamReader xml(rcXml);
    int keybindDepth = 0;      // nesting of <keybind> (chains nest them)
    QString key;               // of the outermost keybind
    QString action;            // its first action
    QString command;
    bool inFirstAction = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("keybind")) {
                if (keybindDepth++ == 0) {
                    key = xml.attributes().value(QLatin1String("key")).toString();
                    action.clear();
                    command.clear();
                }
            } else if (name == QLatin1String("action") && keybindDepth > 0 && action.isEmpty()) {
                action = xml.attributes().value(QLatin1String("name")).toString();
                inFirstAction = true;
            } else if (inFirstAction && (name == QLatin1String("command") || name == QLatin1String("execute")) &&
                       command.isEmpty()) {
                command = xml.readElementText(QXmlStreamReader::SkipChildElements);
            }
        } else if (xml.isEndElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("action")) inFirstAction = false;
            if (name == QLatin1String("keybind") && --keybindDepth == 0) {
                if (const auto combination = openboxCombination(key))
                    bindings.append({*combination, openboxActionName(action, command)});
            }
        }
    }
    return bindings;
}

QList<DesktopKeyBinding> parseKdeGlobalShortcuts(const QByteArray& text)
{
    QList<DesktopKeyBinding> bindings;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('[')) || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        const QString id = line.left(eq).trimmed();
        if (id.startsWith(QLatin1Char('_'))) continue;  // _k_friendly_name and the like
        const QString value = line.mid(eq + 1);
        // The friendly name may itself hold commas: it is all after the second one.
        const QString current = value.section(QLatin1Char(','), 0, 0);
        const QString friendly = value.section(QLatin1Char(','), 2).trimmed();
        if (current.isEmpty() || current == QLatin1String("none")) continue;
        const QString action = kdeActions().value(id, friendly.isEmpty() ? id : friendly);
        // Several shortcuts are separated by tabs (written as "\t").
        QString keys = current;
        keys.replace(QLatin1String("\\t"), QLatin1String("\t"));
        for (const QString& one : keys.split(QLatin1Char('\t'), Qt::SkipEmptyParts)) {
            if (const auto combination = qtCombination(one)) bindings.append({*combination, action});
        }
    }
    return bindings;
}

QList<DesktopKeyBinding> parseGnomeKeyBindings(const QString& listing)
{
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    QList<DesktopKeyBinding> bindings;
    for (const QString& raw : listing.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        const QString key = line.section(QLatin1Char(' '), 1, 1);
        const QString value = line.section(QLatin1Char(' '), 2);
        if (key.isEmpty() || value.isEmpty()) continue;
        auto it = quoted.globalMatch(value);
        while (it.hasNext()) {
            const QString accelerator = it.next().captured(1);
            if (accelerator.isEmpty() || accelerator == QLatin1String("disabled")) continue;
            if (const auto combination = gnomeCombination(accelerator))
                bindings.append({*combination, gnomeActionName(key)});
        }
    }
    return bindings;
}

}  // namespace klipo::platform
