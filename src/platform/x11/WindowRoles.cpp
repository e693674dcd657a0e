#include "platform/WindowRoles.h"

#include "platform/x11/X11Basics.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace klipo::platform {

namespace {

using x11::atom;
using x11::property32;
using x11::qtConnection;

constexpr uint32_t kEveryDesktop = 0xFFFFFFFF;
constexpr uint32_t kRemove = 0, kAdd = 1;
constexpr uint32_t kSourceApplication = 1;

xcb_window_t rootWindow(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

bool contains(const std::vector<uint32_t>& list, uint32_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

struct RoleAtoms {
    xcb_atom_t type, typeNormal, typeUtility, typeDialog, typeNotification;
    xcb_atom_t state, above, sticky, skipTaskbar, skipPager;
    xcb_atom_t desktop;

    explicit RoleAtoms(xcb_connection_t* c)
        : type(atom(c, "_NET_WM_WINDOW_TYPE")),
          typeNormal(atom(c, "_NET_WM_WINDOW_TYPE_NORMAL")),
          typeUtility(atom(c, "_NET_WM_WINDOW_TYPE_UTILITY")),
          typeDialog(atom(c, "_NET_WM_WINDOW_TYPE_DIALOG")),
          typeNotification(atom(c, "_NET_WM_WINDOW_TYPE_NOTIFICATION")),
          state(atom(c, "_NET_WM_STATE")),
          above(atom(c, "_NET_WM_STATE_ABOVE")),
          sticky(atom(c, "_NET_WM_STATE_STICKY")),
          skipTaskbar(atom(c, "_NET_WM_STATE_SKIP_TASKBAR")),
          skipPager(atom(c, "_NET_WM_STATE_SKIP_PAGER")),
          desktop(atom(c, "_NET_WM_DESKTOP"))
    {
    }
};

const RoleAtoms& roleAtoms(xcb_connection_t* c)
{
    static const RoleAtoms atoms(c);
    return atoms;
}

// The states a role asks for, beyond what Qt writes itself.
std::vector<xcb_atom_t> statesOf(WindowRole role, const RoleAtoms& a)
{
    if (role == WindowRole::unlisted) return {a.skipTaskbar, a.skipPager};
    return {a.above, a.sticky, a.skipTaskbar, a.skipPager};
}

// Writes the role on a window that is not mapped: the window manager reads
// it when it takes the window on. Qt keeps the states it did not write itself.
void writeBeforeMap(xcb_connection_t* c, xcb_window_t w, WindowRole role)
{
    const RoleAtoms& a = roleAtoms(c);
    // Qt's own type list, without the kinds that tie the window to another
    // (utility, dialog); a notification says so first.
    std::vector<uint32_t> types;
    if (role == WindowRole::notification) types.push_back(a.typeNotification);
    for (uint32_t t : property32(c, w, a.type, XCB_ATOM_ATOM))
        if (t != a.typeUtility && t != a.typeDialog && !contains(types, t)) types.push_back(t);
    if (!contains(types, a.typeNormal)) types.push_back(a.typeNormal);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, a.type, XCB_ATOM_ATOM, 32, uint32_t(types.size()), types.data());

    std::vector<uint32_t> states = property32(c, w, a.state, XCB_ATOM_ATOM);
    for (xcb_atom_t s : statesOf(role, a))
        if (!contains(states, s)) states.push_back(s);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, a.state, XCB_ATOM_ATOM, 32, uint32_t(states.size()),
                        states.data());
    if (role != WindowRole::unlisted)
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, a.desktop, XCB_ATOM_CARDINAL, 32, 1, &kEveryDesktop);
    xcb_flush(c);
}

// Asks the window manager for the role of a mapped window: the states written
// before the map may have been dropped by the manager when it finished with
// the window's previous showing.
void askOfManager(xcb_connection_t* c, xcb_window_t w, WindowRole role)
{
    const RoleAtoms& a = roleAtoms(c);
    const xcb_window_t root = rootWindow(c);
    const std::vector<xcb_atom_t> states = statesOf(role, a);
    for (std::size_t i = 0; i < states.size(); i += 2) {
        const uint32_t second = i + 1 < states.size() ? states[i + 1] : 0;
        x11::sendToRoot(c, root, w, a.state, {kAdd, states[i], second, kSourceApplication});
    }
    if (role != WindowRole::unlisted) x11::sendToRoot(c, root, w, a.desktop, {kEveryDesktop, kSourceApplication});
    xcb_flush(c);
}

class RoleKeeper final : public QObject {
public:
    RoleKeeper(QWidget* window, WindowRole role) : QObject(window), m_window(window), m_role(role)
    {
        window->installEventFilter(this);
        if (xcb_connection_t* c = qtConnection()) {
            if (window->isVisible()) askOfManager(c, xcb_window_t(window->winId()), role);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Qt sends the show event just before it maps the window; one that
        // comes from the window manager (a window shown again) is no showing of ours.
        if (watched != m_window || event->type() != QEvent::Show || event->spontaneous()) return false;
        xcb_connection_t* c = qtConnection();
        if (!c) return false;
        writeBeforeMap(c, xcb_window_t(m_window->winId()), m_role);
        // Once Qt has asked for the map, on the same connection.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (xcb_connection_t* c = qtConnection(); c && m_window && m_window->isVisible())
                    askOfManager(c, xcb_window_t(m_window->winId()), m_role);
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    QPointer<QWidget> m_window;
    WindowRole m_role;
};

// Unmarks our windows that the window manager marked as demanding attention.
class AttentionGuard final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
        const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
        xcb_connection_t* c = qtConnection();
        if (!c || change->state != XCB_PROPERTY_NEW_VALUE) return false;
        if (m_state == XCB_ATOM_NONE) {
            m_state = atom(c, "_NET_WM_STATE");
            m_attention = atom(c, "_NET_WM_STATE_DEMANDS_ATTENTION");
        }
        if (change->atom != m_state || !x11::isOwnWindow(change->window)) return false;
        if (!contains(property32(c, change->window, m_state, XCB_ATOM_ATOM), m_attention)) return false;
        x11::sendToRoot(c, rootWindow(c), change->window, m_state, {kRemove, m_attention, 0, kSourceApplication});
        xcb_flush(c);
        return false;
    }

private:
    xcb_atom_t m_state = XCB_ATOM_NONE;
    xcb_atom_t m_attention = XCB_ATOM_NONE;
};

}  // namespace

void applyWindowRole(QWidget* window, WindowRole role)
{
    if (!window || !window->isWindow() || !qtConnection()) return;
    new RoleKeeper(window, role);
}

void keepOwnWindowsFromDemandingAttention()
{
    static bool installed = false;
    if (installed || !qtConnection()) return;
    installed = true;
    QCoreApplication::instance()->installNativeEventFilter(new AttentionGuard);
}

}  // namespace klipo::platform
