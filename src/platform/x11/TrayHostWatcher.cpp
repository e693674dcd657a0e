#include "platform/TrayHostWatcher.h"

#include "platform/x11/X11Basics.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <xcb/xfixes.h>

#include <string>

namespace klipo::platform {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// An answer the watcher does not give at once is taken as no host.
constexpr int kWatcherAnswerMs = 500;

// The X screen Qt shows on: the number after the dot of DISPLAY (":0.1").
int screenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int dot = display.lastIndexOf('.');
    const int colon = display.lastIndexOf(':');
    return dot > colon ? display.mid(dot + 1).toInt() : 0;
}

}  // namespace

// The XEmbed tray manager's selection, watched through XFixes: the server
// says when its owner changes.
class TrayHostWatcher::XEmbedSelection final : public QAbstractNativeEventFilter {
public:
    explicit XEmbedSelection(TrayHostWatcher* owner) : m_owner(owner)
    {
        m_c = x11::qtConnection();
        if (!m_c) return;
        m_selection = x11::atom(m_c, ("_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber())).c_str());
        if (m_selection == XCB_ATOM_NONE) return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_c));
        for (int n = screenNumber(); n > 0 && it.rem; --n) xcb_screen_next(&it);
        if (!it.rem) return;
        m_notify = x11::watchSelectionOwner(m_c, it.data->root, m_selection);
        if (!m_notify) return;
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_watching = true;
    }
    ~XEmbedSelection() override
    {
        if (m_watching && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool hasOwner() const
    {
        if (!m_c || m_selection == XCB_ATOM_NONE) return false;
        auto r = x11::reply(xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_selection), nullptr));
        return r && r->owner != XCB_WINDOW_NONE;
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != m_notify) return false;
        const auto* change = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
        if (change->selection == m_selection && change->owner != XCB_WINDOW_NONE)
            QMetaObject::invokeMethod(m_owner, &TrayHostWatcher::hostAppeared, Qt::QueuedConnection);
        return false;
    }

private:
    TrayHostWatcher* m_owner;
    xcb_connection_t* m_c = nullptr;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    uint8_t m_notify = 0;
    bool m_watching = false;
};

TrayHostWatcher::TrayHostWatcher(QObject* parent) : QObject(parent), m_xembed(std::make_unique<XEmbedSelection>(this))
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    auto* watcher = new QDBusServiceWatcher(kWatcherService, bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (statusNotifierHostRunning()) Q_EMIT hostAppeared();
    });
    // A watcher may come before its host (a panel's tray starts after it).
    bus.connect(kWatcherService, kWatcherPath, kWatcherService, QStringLiteral("StatusNotifierHostRegistered"), this,
                SLOT(statusNotifierHostRegistered()));
}

TrayHostWatcher::~TrayHostWatcher() = default;

void TrayHostWatcher::statusNotifierHostRegistered() { Q_EMIT hostAppeared(); }

bool TrayHostWatcher::hostRunning() const { return m_xembed->hasOwner() || statusNotifierHostRunning(); }

bool TrayHostWatcher::statusNotifierHostRunning() const
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kWatcherService)) return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage answer = bus.call(ask, QDBus::Block, kWatcherAnswerMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) return false;
    return answer.arguments().first().value<QDBusVariant>().variant().toBool();
}

}  // namespace klipo::platform
