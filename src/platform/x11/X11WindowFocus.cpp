#include "platform/WindowFocus.h"

#include "platform/FloatingWindows.h"
#include "platform/WindowStacking.h"
#include "platform/x11/X11Activation.h"
#include "platform/x11/X11Basics.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace klipo::platform {

namespace x11 {

namespace {

// ICCCM: WM_HINTS starts with its flags; the input field counts when flag 1 is set.
constexpr uint32_t kInputHint = 1;

// Whether the keys go to no window: none, the pointer's root or a root.
bool keysGoNowhere(xcb_connection_t* c, xcb_window_t root)
{
    auto focus = reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus) return false;
    return focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == root;
}

bool isViewable(xcb_connection_t* c, xcb_window_t window)
{
    auto a = reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

// Gives `window` the keys the way its program asks for them: directly, or,
// for a program that sets its focus itself, with WM_TAKE_FOCUS.
void handKeysTo(xcb_connection_t* c, xcb_window_t window)
{
    const std::vector<uint32_t> hints = property32(c, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 2);
    const bool takesInput = hints.size() < 2 || !(hints[0] & kInputHint) || hints[1] != 0;
    if (takesInput) {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, serverTime());
        return;
    }
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t takeFocus = atom(c, "WM_TAKE_FOCUS");
    const std::vector<uint32_t> supported = property32(c, window, protocols, XCB_ATOM_ATOM);
    if (std::find(supported.begin(), supported.end(), takeFocus) == supported.end()) return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = protocols;
    event.data.data32[0] = takeFocus;
    event.data.data32[1] = serverTime();
    xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
}

}  // namespace

void activateWindow(xcb_connection_t* c, xcb_window_t root, xcb_window_t window)
{
    const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
    if (root == XCB_WINDOW_NONE || window == XCB_WINDOW_NONE || active == XCB_ATOM_NONE) return;
    // Asked as a pager would: the user did ask for it.
    sendToRoot(c, root, window, active, {kSourcePager, XCB_CURRENT_TIME, XCB_WINDOW_NONE});
    xcb_flush(c);
    // Only where the manager has nothing to do: it takes the window for
    // active already, and nothing has the keys. Otherwise the request above
    // moves them, and a manager that refuses it keeps its reasons.
    if (!keysGoNowhere(c, root)) return;
    const std::vector<uint32_t> activeNow = property32(c, root, active, XCB_ATOM_WINDOW, 1);
    if (activeNow.empty() || activeNow.front() != window || !isViewable(c, window)) return;
    handKeysTo(c, window);
    xcb_flush(c);
}

}  // namespace x11

namespace {

using x11::atom;
using x11::qtConnection;

xcb_window_t rootWindow(xcb_connection_t* c)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem ? it.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

class X11WindowFocus final : public WindowFocus {
public:
    std::optional<NativeWindowId> activeWindow() override
    {
        xcb_connection_t* c = qtConnection();
        if (!c) return std::nullopt;
        const xcb_window_t root = rootWindow(c);
        const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
        if (root == XCB_WINDOW_NONE || active == XCB_ATOM_NONE) return std::nullopt;
        const std::vector<uint32_t> window = x11::property32(c, root, active, XCB_ATOM_WINDOW, 1);
        if (window.empty() || window.front() == XCB_WINDOW_NONE) return std::nullopt;
        return NativeWindowId(window.front());
    }

    void activateWindow(NativeWindowId window) override
    {
        if (xcb_connection_t* c = qtConnection()) x11::activateWindow(c, rootWindow(c), window);
    }
};

class NoWindowFocus final : public WindowFocus {
public:
    std::optional<NativeWindowId> activeWindow() override { return std::nullopt; }
    void activateWindow(NativeWindowId) override {}
};

}  // namespace

WindowFocus& windowFocus()
{
    static X11WindowFocus x11;
    static NoWindowFocus none;
    if (qtConnection()) return x11;
    return none;
}

namespace {

// Activates one of our windows once the window manager shows it, and keeps it
// in front while the focus lands on it. Asked before the manager has shown
// the window, mutter gives it the focus but may still put it below the
// program the user was typing into as it shows it (a window mapped without
// the user's latest input is kept below the focused one): a strip of it
// shows and the keys go to a hidden window.
class OwnActivation final : public QObject {
public:
    static void start(QWidget* window)
    {
        // By name: without Q_OBJECT a cast would take any child for one.
        for (QObject* earlier : window->findChildren<QObject*>(kName, Qt::FindDirectChildrenOnly)) delete earlier;
        new OwnActivation(window);
    }

private:
    static constexpr char kName[] = "klipoOwnActivation";
    static constexpr int kLookEveryMs = 15;
    static constexpr int kShowWaitMs = 500;
    static constexpr int kWatchMs = 1500;
    static constexpr int kRaises = 3;
    static constexpr int kSettledLooks = 10;

    explicit OwnActivation(QWidget* window) : QObject(window), m_window(window)
    {
        setObjectName(QLatin1String(kName));
        connect(&m_timer, &QTimer::timeout, this, &OwnActivation::look);
        m_timer.start(kLookEveryMs);
        look();
    }

    bool shownByManager() const
    {
        if (!isMappedOnScreen(m_window)) return false;
        const QList<StackedWindow> stack = managedWindowsBottomToTop();
        const auto id = quint32(m_window->internalWinId());
        return std::any_of(stack.begin(), stack.end(), [id](const StackedWindow& w) { return w.id == id; });
    }

    void look()
    {
        if (!m_window || !m_window->isVisible() || m_watch.hasExpired()) {
            m_timer.stop();
            deleteLater();
            return;
        }
        const auto id = NativeWindowId(m_window->internalWinId());
        if (!m_asked) {
            if (!shownByManager() && !m_showWait.hasExpired()) return;
            windowFocus().activateWindow(id);
            m_asked = true;
            return;
        }
        if (windowFocus().activeWindow() != id) {
            if (m_hadFocus) m_watch = QDeadlineTimer(0);  // the user moved on
            return;
        }
        m_hadFocus = true;
        if (belowOtherPrograms(m_window)) {
            m_settledLooks = 0;
            if (m_raises++ < kRaises) restackOnTop(m_window);
        } else if (++m_settledLooks >= kSettledLooks) {
            m_watch = QDeadlineTimer(0);
        }
    }

    QPointer<QWidget> m_window;
    QTimer m_timer;
    QDeadlineTimer m_showWait{kShowWaitMs};
    QDeadlineTimer m_watch{kWatchMs};
    bool m_asked = false;
    bool m_hadFocus = false;
    int m_raises = 0;
    int m_settledLooks = 0;
};

}  // namespace

void activateOwnWindow(QWidget* window)
{
    if (!window) return;
    if (!qtConnection() || !window->internalWinId()) {
        window->activateWindow();
        return;
    }
    OwnActivation::start(window);
}

}  // namespace klipo::platform
