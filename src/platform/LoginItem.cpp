#include "platform/LoginItem.h"

#include "platform/ProgramIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace klipo::platform::LoginItem {

namespace {

QString reason(const QFileDevice& file)
{
    if (file.error() == QFileDevice::PermissionsError) return QStringLiteral("没有写入权限");
    return file.errorString();
}

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

}  // namespace

QString entryPath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("autostart/io.klipoversa.desktop"));
}

bool entryEnables(const QByteArray& content)
{
    bool inMainGroup = false;
    for (const QByteArray& raw : content.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "Hidden" && value == "true") return false;
        if (key == "X-GNOME-Autostart-enabled" && value == "false") return false;
    }
    return true;
}

bool isEnabled()
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly)) return false;
    return entryEnables(file.readAll());
}

QString execArgument(const QString& executable)
{
    // Inside double quotes the Exec line escapes " ` $ and \ with a backslash;
    // the desktop entry's own string escaping then doubles every backslash.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument;
    bool needsQuotes = false;
    for (const QChar c : executable) {
        if (reserved.contains(c)) needsQuotes = true;
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            argument += QLatin1Char('\\');
        argument += c;
    }
    argument.replace(QLatin1String("%"), QLatin1String("%%"));
    if (needsQuotes) argument = QLatin1Char('"') + argument + QLatin1Char('"');
    argument.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return argument;
}

QByteArray desktopEntry(const QString& executable)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=KlipoVersa\n"
                                  "Comment=截图即翻译\n"
                                  "Icon=%2\n"
                                  "Exec=%1\n"
                                  "Terminal=false\n"
                                  "X-GNOME-Autostart-enabled=true\n")
                       .arg(execArgument(executable), ProgramIcon::themeName());
    return text.toUtf8();
}

Outcome setEnabled(bool enabled) { return setEnabled(enabled, QCoreApplication::applicationFilePath()); }

Outcome setEnabled(bool enabled, const QString& executable)
{
    const QString path = entryPath();
    if (!enabled) {
        QFile file(path);
        if (!file.exists() || file.remove()) return {};
        return {false, QStringLiteral("无法删除 %1：%2").arg(shown(path), reason(file))};
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return {false, QStringLiteral("无法创建文件夹 %1").arg(shown(folder))};
    // The entry names the program's icon; without it installed the desktop
    // shows a generic one, and the program still starts: not worth a refusal.
    (void)ProgramIcon::installForDesktop();
    QSaveFile file(path);
    const QByteArray content = desktopEntry(executable);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return {false, QStringLiteral("无法写入 %1：%2").arg(shown(path), reason(file))};
    return {};
}

}  // namespace klipo::platform::LoginItem
