#include "platform/FreedesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

namespace klipo::platform {

namespace {

QDBusMessage notifyCall(const QString& title, const QString& body)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("KlipoVersa")  // app_name
         << uint(0)                      // replaces_id
         << QString()                    // app_icon
         << title << body
         << QStringList()  // actions
         << QVariantMap()  // hints
         << int(-1);       // expire_timeout: the server's default
    return call;
}

// A process that ends does not wait for its outgoing messages.
constexpr int kExitWaitMs = 2000;

}  // namespace

void FreedesktopNotifier::post(const QString& title, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    // Fire and forget: the reply (or the error of a missing server) is dropped.
    bus.asyncCall(notifyCall(title, body));
}

void FreedesktopNotifier::postBeforeExit(const QString& title, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.call(notifyCall(title, body), QDBus::Block, kExitWaitMs);
}

}  // namespace klipo::platform
