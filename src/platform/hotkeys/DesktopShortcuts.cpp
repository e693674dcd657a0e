#include "platform/hotkeys/DesktopShortcuts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace klipo::platform {

namespace {

constexpr int kGsettingsTimeoutMs = 2000;

const char* const kGnomeSchemas[] = {
    "org.gnome.desktop.wm.keybindings",
    "org.gnome.shell.keybindings",
    "org.gnome.mutter.keybindings",
    "org.gnome.settings-daemon.plugins.media-keys",
};

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

QByteArray property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    if (name == XCB_ATOM_NONE) return {};
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr);
    QByteArray value;
    if (reply && reply->type != XCB_ATOM_NONE)
        value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply) * (reply->format / 8));
    std::free(reply);
    return value;
}

struct X11Root {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
};

X11Root x11Root()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return {};
    xcb_connection_t* c = x11->connection();
    return {c, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root};
}

// The window manager's own name (EWMH _NET_SUPPORTING_WM_CHECK).
QString windowManagerName()
{
    const X11Root x = x11Root();
    if (!x.connection) return {};
    const QByteArray check = property(x.connection, x.root, atom(x.connection, "_NET_SUPPORTING_WM_CHECK"),
                                      XCB_ATOM_WINDOW);
    if (check.size() < int(sizeof(xcb_window_t))) return {};
    xcb_window_t wm = 0;
    std::memcpy(&wm, check.constData(), sizeof wm);
    const QByteArray name =
        property(x.connection, wm, atom(x.connection, "_NET_WM_NAME"), atom(x.connection, "UTF8_STRING"));
    return QString::fromUtf8(name);
}

QString openboxConfigFile()
{
    // Set when Openbox was started with a config file of its own (LXDE does).
    const X11Root x = x11Root();
    if (x.connection) {
        const QByteArray named =
            property(x.connection, x.root, atom(x.connection, "_OB_CONFIG_FILE"), atom(x.connection, "UTF8_STRING"));
        if (!named.isEmpty() && QFileInfo::exists(QString::fromUtf8(named))) return QString::fromUtf8(named);
    }
    QStringList dirs{QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)};
    const QString configDirs = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    dirs += configDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& dir : dirs) {
        const QString file = QDir(dir).filePath(QStringLiteral("openbox/rc.xml"));
        if (QFileInfo::exists(file)) return file;
    }
    return {};
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString gsettingsListing()
{
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (gsettings.isEmpty()) return {};
    QString listing;
    for (const char* schema : kGnomeSchemas) {
        QProcess process;
        process.start(gsettings, {QStringLiteral("list-recursively"), QString::fromLatin1(schema)});
        if (!process.waitForFinished(kGsettingsTimeoutMs)) {
            process.kill();
            process.waitForFinished(100);
            continue;
        }
        listing += QString::fromUtf8(process.readAllStandardOutput());
    }
    return listing;
}

// The first of the commands whose program is installed.
QStringList firstInstalled(const QList<QStringList>& commands)
{
    for (const QStringList& command : commands) {
        if (!QStandardPaths::findExecutable(command.first()).isEmpty()) return command;
    }
    return {};
}

class SessionDesktopShortcuts : public DesktopShortcuts {
public:
    SessionDesktopShortcuts()
        : m_family(desktopFamily(windowManagerName(), qEnvironmentVariable("XDG_CURRENT_DESKTOP")))
    {
        if (m_family == QLatin1String("GNOME"))
            m_settings = firstInstalled({{QStringLiteral("gnome-control-center"), QStringLiteral("keyboard")}});
        else if (m_family == QLatin1String("KDE"))
            m_settings = firstInstalled({{QStringLiteral("systemsettings"), QStringLiteral("kcm_keys")},
                                         {QStringLiteral("systemsettings5"), QStringLiteral("kcm_keys")},
                                         {QStringLiteral("kcmshell6"), QStringLiteral("kcm_keys")},
                                         {QStringLiteral("kcmshell5"), QStringLiteral("kcm_keys")}});
    }

    DesktopBindings readBindings() override
    {
        if (m_family == QLatin1String("Openbox")) {
            const QString file = openboxConfigFile();
            if (file.isEmpty()) return {};
            return {m_family, parseOpenboxKeyBindings(readFile(file))};
        }
        if (m_family == QLatin1String("KDE")) {
            const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
            return {m_family, parseKdeGlobalShortcuts(readFile(QDir(config).filePath("kglobalshortcutsrc")))};
        }
        if (m_family == QLatin1String("GNOME")) return {m_family, parseGnomeKeyBindings(gsettingsListing())};
        return {};
    }

    bool canOpenKeyboardSettings() const override { return !m_settings.isEmpty(); }

    bool openKeyboardSettings() override
    {
        if (m_settings.isEmpty()) return false;
        return QProcess::startDetached(m_settings.first(), m_settings.mid(1));
    }

private:
    QString m_family;
    QStringList m_settings;  // program and arguments of the settings page
};

DesktopShortcuts*& current()
{
    static DesktopShortcuts* instance = nullptr;
    return instance;
}

}  // namespace

QString desktopFamily(const QString& windowManagerName, const QString& currentDesktop)
{
    const QString wm = windowManagerName.toLower();
    const QString desktop = currentDesktop.toLower();
    if (wm.contains(QLatin1String("openbox"))) return QStringLiteral("Openbox");
    if (wm.contains(QLatin1String("kwin")) || desktop.split(QLatin1Char(':')).contains(QLatin1String("kde")))
        return QStringLiteral("KDE");
    if (wm.contains(QLatin1String("gnome shell")) || wm.contains(QLatin1String("mutter")) ||
        desktop.split(QLatin1Char(':')).contains(QLatin1String("gnome")))
        return QStringLiteral("GNOME");
    return {};
}

DesktopShortcuts& desktopShortcuts()
{
    // Lives for the whole process once made.
    if (!current()) current() = new SessionDesktopShortcuts;
    return *current();
}

ScopedDesktopShortcuts::ScopedDesktopShortcuts(DesktopShortcuts* replacement) : m_previous(current())
{
    current() = replacement;
}

ScopedDesktopShortcuts::~ScopedDesktopShortcuts() { current() = m_previous; }

}  // namespace klipo::platform
