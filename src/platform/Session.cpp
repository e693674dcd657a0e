#include "platform/Session.h"

#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>

#include <xcb/xcb.h>

#include <cstdio>

namespace klipo::platform {

namespace {

bool envSet(const char* name) { return !qEnvironmentVariableIsEmpty(name); }

// The platform named by QT_QPA_PLATFORM ("offscreen:configfile=..." -> "offscreen").
QString requestedPlatform()
{
    const QString value = qEnvironmentVariable("QT_QPA_PLATFORM");
    return value.section(QLatin1Char(':'), 0, 0).section(QLatin1Char(';'), 0, 0).trimmed();
}

bool x11DisplayAnswers()
{
    if (!envSet("DISPLAY")) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = connection && xcb_connection_has_error(connection) == 0;
    if (connection) xcb_disconnect(connection);
    return ok;
}

bool waylandPluginInstalled()
{
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty();
}

bool runsUnderWayland()
{
    return envSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool hasDisplay()
{
    const QString platform = requestedPlatform();
    if (platform == QLatin1String("xcb")) return x11DisplayAnswers();
    if (platform.startsWith(QLatin1String("wayland"))) return envSet("WAYLAND_DISPLAY") && waylandPluginInstalled();
    if (!platform.isEmpty()) return true;  // offscreen, minimal, vnc ...: no display needed
    if (x11DisplayAnswers()) return true;
    return envSet("WAYLAND_DISPLAY") && waylandPluginInstalled();
}

QString noDisplayMessage()
{
    return QStringLiteral(
        "KlipoVersa 无法启动：没有找到可用的图形显示。请在 X11（Xorg）桌面会话中启动本程序。\n"
        "KlipoVersa cannot start: no usable graphical display was found. Start it from an X11 (Xorg) desktop "
        "session.");
}

bool checkDisplayOrExplain()
{
    if (hasDisplay()) return true;
    std::fprintf(stderr, "%s\n", noDisplayMessage().toLocal8Bit().constData());
    return false;
}

bool isX11Session()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb")) return false;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || xcb_connection_has_error(x11->connection())) return false;
    return !runsUnderWayland();
}

QString x11SessionRequiredText()
{
    return QStringLiteral(
        "KlipoVersa 需要在 X11 会话中运行才能截取屏幕。请在登录界面选择 X11（Xorg）会话后重试。");
}

QString screenGrabNeedsX11Reason() { return QStringLiteral("无法读取屏幕画面：需要 X11 会话"); }

}  // namespace klipo::platform
