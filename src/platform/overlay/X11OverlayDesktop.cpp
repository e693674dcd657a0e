#include "platform/overlay/X11OverlayDesktop.h"

#include "platform/MenusOffScreen.h"
#include "platform/OwnWindows.h"
#include "platform/Session.h"
#include "platform/x11/X11Activation.h"
#include "platform/x11/X11Basics.h"
#include "platform/x11/X11ScreenGrabber.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace klipo::platform {

namespace {
// The focus handed back after the overlay: asked again this often, this many times.
constexpr int kFocusAskEveryMs = 150;
constexpr int kFocusAsksAfter = 6;
}  // namespace

namespace x11 {

namespace {

struct Atoms {
    xcb_atom_t stacking, frameExtents, ownExtents, state, hiddenState, type, typeDesktop, typeDock, pid, opacity,
        active;

    explicit Atoms(xcb_connection_t* c)
        : stacking(atom(c, "_NET_CLIENT_LIST_STACKING")),
          frameExtents(atom(c, "_NET_FRAME_EXTENTS")),
          ownExtents(atom(c, "_GTK_FRAME_EXTENTS")),
          state(atom(c, "_NET_WM_STATE")),
          hiddenState(atom(c, "_NET_WM_STATE_HIDDEN")),
          type(atom(c, "_NET_WM_WINDOW_TYPE")),
          typeDesktop(atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP")),
          typeDock(atom(c, "_NET_WM_WINDOW_TYPE_DOCK")),
          pid(atom(c, "_NET_WM_PID")),
          opacity(atom(c, "_NET_WM_WINDOW_OPACITY")),
          active(atom(c, "_NET_ACTIVE_WINDOW"))
    {
    }
};

const Atoms& atoms(xcb_connection_t* c)
{
    static const Atoms all(c);
    return all;
}

// A property's 32-bit values (CARDINAL, WINDOW, ATOM); empty when absent.
std::vector<quint32> values32(Reply<xcb_get_property_reply_t> r)
{
    if (!r || r->format != 32) return {};
    const auto* data = static_cast<const quint32*>(xcb_get_property_value(r.get()));
    const int n = xcb_get_property_value_length(r.get()) / 4;
    return std::vector<quint32>(data, data + n);
}

xcb_get_property_cookie_t askProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    return xcb_get_property(c, 0, w, property, type, 0, 64);
}

// An extents property (left, right, top, bottom); none when absent or malformed.
QMargins marginsOf(const std::vector<quint32>& extents)
{
    if (extents.size() != 4) return {};
    // Cardinals: a value past int's range is nonsense, not a margin.
    const auto side = [&](int i) { return extents[i] > 0xFFFF ? 0 : int(extents[i]); };
    return QMargins(side(0), side(2), side(1), side(3));
}

bool contains(const std::vector<quint32>& list, quint32 value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Time for the desktop to repaint where our windows were.
constexpr int kRepaintMs = 80;
}  // namespace

X11OverlayDesktop::X11OverlayDesktop(xcb_connection_t* connection) : m_connection(connection)
{
    MenusOffScreen::watch();
    if (const xcb_setup_t* setup = xcb_get_setup(connection)) {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
        if (it.rem) m_root = it.data->root;
    }
}

void X11OverlayDesktop::freezeScreens(bool includeCursor, std::function<void(FreezeOutcome)> done)
{
    // X11 cannot leave our own windows (the library, a result panel, an open
    // menu) out of the stills: they go off the screen for the grab, with a
    // moment for the desktop to repaint, and come back right after (menus do
    // not). Pinned images stay. The stills are read on a later turn of the
    // event loop in any case, so that the caller's state is settled before
    // they arrive.
    auto menus = std::make_shared<MenusOffScreen>(MenusOffScreen::closeAll());
    const ShownOwnWindows shown = ShownOwnWindows::now();
    auto hidden = std::make_shared<HiddenOwnWindows>(HiddenOwnWindows::hideAll(true));
    const int repaintMs = hidden->isEmpty() && menus->isEmpty() ? 0 : kRepaintMs;
    auto grab = [includeCursor, hidden, done = std::move(done)] {
        FreezeOutcome outcome;
        const QList<QScreen*> screens = QGuiApplication::screens();
        for (int i = 0; i < screens.size(); ++i) {
            CaptureOutcome grab = grabScreen(screens[i], i + 1, includeCursor);
            if (!grab.ok()) {
                outcome.screens.clear();
                outcome.error = grab.error;
                break;
            }
            outcome.screens.append({screens[i], i + 1, std::move(grab.image)});
        }
        // The overlay takes the focus next and gives it back when it ends:
        // a window of ours activated now would take it from the overlay.
        hidden->keepFocusAway();
        hidden->restore();
        if (outcome.screens.isEmpty() && outcome.error.isEmpty())
            outcome.error = QStringLiteral("无法读取屏幕画面：没有可用的显示器");
        done(std::move(outcome));
    };
    shown.whenGone(QDeadlineTimer(repaintMs), QDeadlineTimer(ShownOwnWindows::longestFadeMs),
                   [menus, grab = std::move(grab)]() mutable {
                       MenusOffScreen::whenGone(menus, QDeadlineTimer(MenusOffScreen::longestWaitMs), std::move(grab));
                   });
}

QList<DesktopWindow> X11OverlayDesktop::windowsFrontToBack()
{
    QList<DesktopWindow> result;
    xcb_connection_t* c = m_connection;
    if (!c || !m_root) return result;
    const Atoms& a = atoms(c);
    const std::vector<quint32> stack = property32(c, m_root, a.stacking, XCB_ATOM_WINDOW);
    if (stack.empty()) return result;

    // Ask everything first, then read the answers: one round trip in all.
    struct Pending {
        xcb_window_t window;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t extents, ownExtents, state, type, pid, opacity;
    };
    std::vector<Pending> pending;
    pending.reserve(stack.size());
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {  // the list runs bottom to top
        const xcb_window_t w = *it;
        pending.push_back({w, xcb_get_geometry(c, w), xcb_translate_coordinates(c, w, m_root, 0, 0),
                           xcb_get_window_attributes(c, w), askProperty(c, w, a.frameExtents, XCB_ATOM_CARDINAL),
                           askProperty(c, w, a.ownExtents, XCB_ATOM_CARDINAL),
                           askProperty(c, w, a.state, XCB_ATOM_ATOM), askProperty(c, w, a.type, XCB_ATOM_ATOM),
                           askProperty(c, w, a.pid, XCB_ATOM_CARDINAL),
                           askProperty(c, w, a.opacity, XCB_ATOM_CARDINAL)});
    }
    for (const Pending& p : pending) {
        auto geometry = reply(xcb_get_geometry_reply(c, p.geometry, nullptr));
        auto origin = reply(xcb_translate_coordinates_reply(c, p.origin, nullptr));
        auto attributes = reply(xcb_get_window_attributes_reply(c, p.attributes, nullptr));
        const auto extents = values32(reply(xcb_get_property_reply(c, p.extents, nullptr)));
        const auto ownExtents = values32(reply(xcb_get_property_reply(c, p.ownExtents, nullptr)));
        const auto state = values32(reply(xcb_get_property_reply(c, p.state, nullptr)));
        const auto type = values32(reply(xcb_get_property_reply(c, p.type, nullptr)));
        const auto pid = values32(reply(xcb_get_property_reply(c, p.pid, nullptr)));
        const auto opacity = values32(reply(xcb_get_property_reply(c, p.opacity, nullptr)));
        if (!geometry || !origin) continue;  // the window went away meanwhile

        DesktopWindow window;
        window.id = p.window;
        window.pid = pid.empty() ? -1 : qint64(pid.front());
        const QRect area(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        const QMargins managerFrame = marginsOf(extents);
        const QRect shown = shownFramePx(area, managerFrame, marginsOf(ownExtents));
        const QRect outer = area.marginsAdded(managerFrame);
        window.frameRectPx = shown;
        if (!shown.isEmpty())
            window.ownMarginPx = QMargins(shown.left() - outer.left(), shown.top() - outer.top(),
                                          outer.right() - shown.right(), outer.bottom() - shown.bottom());
        window.hidden = contains(state, a.hiddenState) || !attributes ||
                        attributes->map_state != XCB_MAP_STATE_VIEWABLE;
        window.normalLayer = !contains(type, a.typeDesktop) && !contains(type, a.typeDock);
        if (!opacity.empty()) window.opacity = double(opacity.front()) / 4294967295.0;
        result.append(window);
    }
    return result;
}

namespace {

// The window the window manager names active, if any.
std::optional<NativeWindowId> activeWindowOf(xcb_connection_t* c, xcb_window_t root)
{
    const auto active = x11::property32(c, root, x11::atoms(c).active, XCB_ATOM_WINDOW);
    if (active.empty() || active.front() == XCB_WINDOW_NONE) return std::nullopt;
    return active.front();
}

}  // namespace

std::optional<NativeWindowId> X11OverlayDesktop::activeWindow()
{
    if (!m_connection || !m_root) return std::nullopt;
    return activeWindowOf(m_connection, m_root);
}

bool X11OverlayDesktop::isOwnWindow(NativeWindowId id)
{
    for (const QWindow* window : QGuiApplication::allWindows())
        if (window->handle() && NativeWindowId(window->winId()) == id) return true;
    // A window made by another toolkit inside this process names it.
    if (!m_connection) return false;
    const auto pid = property32(m_connection, id, atoms(m_connection).pid, XCB_ATOM_CARDINAL);
    return !pid.empty() && qint64(pid.front()) == ownProcessId();
}

void X11OverlayDesktop::activateWindow(NativeWindowId id)
{
    if (!m_connection || !m_root) return;
    // Asked while our overlay still has the keys, so that the window manager
    // hands them on to no other window (mutter gave them to one of ours), and
    // once more when the overlay has gone: xfwm4 may not take the first, and
    // leaves the keys at the root window. A busy xfwm4 at times drops both
    // (the keys stay with the program active during the overlay): asked again
    // for a moment while they are still there; a window the user or the
    // manager gives them to meanwhile keeps them.
    xcb_connection_t* const c = m_connection;
    const xcb_window_t root = m_root;
    const std::optional<NativeWindowId> stale = activeWindowOf(c, root);
    // Only keys left with another program are asked back again.
    const bool askAgain = stale && *stale != id && !isOwnWindow(*stale);
    x11::activateWindow(c, root, id);
    stopFocusAsks();
    auto* asks = new QTimer(qApp);
    m_focusAsks = asks;
    asks->setSingleShot(true);
    QObject::connect(asks, &QTimer::timeout, asks, [=, left = kFocusAsksAfter, first = true]() mutable {
        const bool again = first || (askAgain && activeWindowOf(c, root) == stale && left-- > 0);
        first = false;
        if (!again) {
            asks->deleteLater();
            return;
        }
        x11::activateWindow(c, root, id);
        asks->start(kFocusAskEveryMs);
    });
    asks->start(0);
}

void X11OverlayDesktop::stopFocusAsks()
{
    if (!m_focusAsks) return;
    m_focusAsks->stop();
    m_focusAsks->deleteLater();
}

InputGrabOutcome X11OverlayDesktop::grabInput(QWindow* window)
{
    if (!m_connection || !window) return {false, QStringLiteral("无法接管键盘和鼠标：没有可用的窗口")};
    // A new overlay takes the keys: none are asked back for the last one's program.
    stopFocusAsks();
    const auto id = xcb_window_t(window->winId());
    constexpr uint16_t pointerEvents = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                       XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                       XCB_EVENT_MASK_LEAVE_WINDOW;
    // Another program may hold a grab for a moment (a key still down, a menu
    // closing): try for a short while before giving up.
    uint8_t pointer = XCB_GRAB_STATUS_NOT_VIEWABLE;
    uint8_t keyboard = XCB_GRAB_STATUS_NOT_VIEWABLE;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (pointer != XCB_GRAB_STATUS_SUCCESS) {
            auto r = reply(xcb_grab_pointer_reply(
                m_connection,
                xcb_grab_pointer(m_connection, 1, id, pointerEvents, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                                 XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                nullptr));
            pointer = r ? r->status : uint8_t(XCB_GRAB_STATUS_NOT_VIEWABLE);
        }
        if (keyboard != XCB_GRAB_STATUS_SUCCESS) {
            auto r = reply(xcb_grab_keyboard_reply(
                m_connection,
                xcb_grab_keyboard(m_connection, 1, id, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                nullptr));
            keyboard = r ? r->status : uint8_t(XCB_GRAB_STATUS_NOT_VIEWABLE);
        }
        if (pointer == XCB_GRAB_STATUS_SUCCESS && keyboard == XCB_GRAB_STATUS_SUCCESS) return {true, {}};
        QThread::msleep(20);
    }
    releaseInput();
    if (keyboard != XCB_GRAB_STATUS_SUCCESS)
        return {false, QStringLiteral("键盘正被其他程序占用，请关闭它的菜单或对话框后重试")};
    return {false, QStringLiteral("鼠标正被其他程序占用，请松开按键或关闭它的菜单后重试")};
}

void X11OverlayDesktop::releaseInput()
{
    if (!m_connection) return;
    xcb_ungrab_pointer(m_connection, XCB_CURRENT_TIME);
    xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
}

qint64 X11OverlayDesktop::ownProcessId() const { return QCoreApplication::applicationPid(); }

void UnavailableOverlayDesktop::freezeScreens(bool, std::function<void(FreezeOutcome)> done)
{
    QTimer::singleShot(0, qApp, [reason = m_reason, done = std::move(done)] { done(FreezeOutcome{{}, reason}); });
}

qint64 UnavailableOverlayDesktop::ownProcessId() const { return QCoreApplication::applicationPid(); }

}  // namespace x11

QRect shownFramePx(const QRect& areaPx, const QMargins& managerFramePx, const QMargins& ownMarginPx)
{
    // A frame drawn around the window by the manager is its edge, a margin
    // of its own inside that frame included.
    if (!managerFramePx.isNull()) return areaPx.marginsAdded(managerFramePx);
    const QRect shown = areaPx.marginsRemoved(ownMarginPx);
    return shown.isValid() ? shown : QRect();
}

OverlayDesktop& overlayDesktop()
{
    // Made once, kept for the life of the process.
    static OverlayDesktop* desktop = [] () -> OverlayDesktop* {
        auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        auto* native = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (isX11Session() && native && native->connection())
            return new x11::X11OverlayDesktop(native->connection());
        return new x11::UnavailableOverlayDesktop(screenGrabNeedsX11Reason());
    }();
    return *desktop;
}

}  // namespace klipo::platform
