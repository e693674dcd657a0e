#include "platform/FloatingWindows.h"

#include "platform/x11/X11Basics.h"

#include <xcb/xfixes.h>

#include <QElapsedTimer>
#include <QPoint>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cmath>
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

// A rectangle of logical points as device pixels of the window's screen,
// grown to whole pixels.
QRect nativeRect(const QWidget* window, const QRect& rect)
{
    const qreal ratio = window->devicePixelRatioF();
    if (ratio == 1.0) return rect;
    const QRectF scaled(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio, rect.height() * ratio);
    return scaled.toAlignedRect();
}

// Sets the input shape of an X window; an empty area gives the whole window
// back its clicks.
void shapeInput(xcb_connection_t* connection, xcb_window_t window, const QRect& area)
{
    xcb_xfixes_region_t region = XCB_NONE;  // none: the window's whole shape
    if (!area.isEmpty()) {
        const xcb_rectangle_t rectangle{int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                                        uint16_t(area.height())};
        region = xcb_generate_id(connection);
        xcb_xfixes_create_region(connection, region, 1, &rectangle);
    }
    xcb_xfixes_set_window_shape_region(connection, window, XCB_SHAPE_SK_INPUT, 0, 0, region);
    if (region != XCB_NONE) xcb_xfixes_destroy_region(connection, region);
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

void setInputArea(QWidget* window, const QRect& area)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection || !window || !window->internalWinId()) return;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) return;
    // The X window counts device pixels.
    const QRect native = area.isEmpty() ? QRect() : nativeRect(window, area);
    const auto id = xcb_window_t(window->internalWinId());
    shapeInput(connection, id, native);
    // Window managers (openbox, xfwm4) put a frame of its size around the
    // window that takes every click in it for itself: the frame gets the
    // same area. A frame with a border of its own is left as it is.
    auto own = x11::reply(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
    xcb_window_t child = id;
    QPoint offset;
    for (int depth = 0; own && depth < 4; ++depth) {
        auto tree = x11::reply(xcb_query_tree_reply(connection, xcb_query_tree(connection, child), nullptr));
        if (!tree || tree->parent == XCB_WINDOW_NONE || tree->parent == tree->root) break;
        auto placed = x11::reply(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, child), nullptr));
        auto frame =
            x11::reply(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, tree->parent), nullptr));
        if (!placed || !frame || frame->width != own->width || frame->height != own->height) break;
        offset += QPoint(placed->x + placed->border_width, placed->y + placed->border_width);
        shapeInput(connection, tree->parent, native.translated(offset));
        child = tree->parent;
    }
    xcb_flush(connection);
}

void setOwnFrameExtents(QWidget* window, const QMargins& extents)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection || !window || !window->internalWinId()) return;
    const auto id = xcb_window_t(window->internalWinId());
    const xcb_atom_t name = atom(connection, "_GTK_FRAME_EXTENTS");
    if (name == XCB_ATOM_NONE) return;
    if (extents.isNull()) {
        xcb_delete_property(connection, id, name);
    } else {
        const qreal ratio = window->devicePixelRatioF();
        const auto pixels = [ratio](int points) { return uint32_t(std::max(0.0, std::ceil(points * ratio))); };
        // left, right, top, bottom
        const uint32_t values[4] = {pixels(extents.left()), pixels(extents.right()), pixels(extents.top()),
                                    pixels(extents.bottom())};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, name, XCB_ATOM_CARDINAL, 32, 4, values);
    }
    xcb_flush(connection);
}

}  // namespace klipo::platform
