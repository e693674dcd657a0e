#include "platform/FloatingWindows.h"

#include "platform/x11/X11Basics.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QThread>
#include <QWidget>

#include <string>

namespace klipo::platform {

namespace {

using x11::atom;
using x11::qtConnection;
using x11::sendToRoot;

xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window)
{
    auto geometry = x11::reply(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    return geometry ? geometry->root : xcb_window_t(XCB_WINDOW_NONE);
}

// The number of the X screen whose root window is `root` (0 when not found).
int screenNumberOf(xcb_connection_t* connection, xcb_window_t root)
{
    int number = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it), ++number)
        if (it.data->root == root) return number;
    return 0;
}

std::optional<QMargins> readFrameExtents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t extents)
{
    const std::vector<uint32_t> v = x11::property32(connection, window, extents, XCB_ATOM_CARDINAL, 4);
    if (v.size() != 4) return std::nullopt;
    // left, right, top, bottom
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

}  // namespace

bool isMappedOnScreen(QWidget* window)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection || !window || !window->internalWinId()) return true;
    const auto id = xcb_window_t(window->internalWinId());
    auto attributes =
        x11::reply(xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<QMargins> askFrameExtents(QWidget* window, int waitMs)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection || !window || !window->isWindow()) return std::nullopt;
    const auto id = xcb_window_t(window->winId());
    const xcb_window_t root = rootOf(connection, id);
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(connection, "_NET_FRAME_EXTENTS");
    if (root == XCB_WINDOW_NONE || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE) return std::nullopt;
    if (auto known = readFrameExtents(connection, id, extents)) return known;
    sendToRoot(connection, root, id, request, {});
    xcb_flush(connection);
    // The window manager answers by setting the property (measured with
    // openbox: within 2 ms), or not at all.
    QElapsedTimer waited;
    waited.start();
    do {
        if (auto answer = readFrameExtents(connection, id, extents)) return answer;
        QThread::msleep(2);
    } while (waited.elapsed() < waitMs);
    return std::nullopt;
}

bool compositorRunning(const QWidget* window)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection) return false;
    xcb_window_t root = XCB_WINDOW_NONE;
    if (window && window->internalWinId()) root = rootOf(connection, xcb_window_t(window->internalWinId()));
    const int number = root == XCB_WINDOW_NONE ? 0 : screenNumberOf(connection, root);
    const xcb_atom_t selection = atom(connection, ("_NET_WM_CM_S" + std::to_string(number)).c_str());
    if (selection == XCB_ATOM_NONE) return false;
    auto owner =
        x11::reply(xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void shapeRoundedCorners(QWidget* window, qreal radius)
{
    if (!window) return;
    if (radius <= 0 || compositorRunning(window)) {
        window->clearMask();
        return;
    }
    if (!qtConnection()) return;  // elsewhere nothing shows the corners black
    QPainterPath shape;
    shape.addRoundedRect(QRectF(window->rect()), radius, radius);
    window->setMask(QRegion(shape.toFillPolygon().toPolygon()));
}

}  // namespace klipo::platform
