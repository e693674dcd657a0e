#include "platform/DockAreas.h"

#include "platform/x11/X11Basics.h"

#include <QGuiApplication>

#include <algorithm>

namespace klipo::platform {

namespace {

// The dock windows' frames, in global points.
QList<QRect> listedDocks()
{
    QList<QRect> docks;
    xcb_connection_t* c = x11::qtConnection();
    if (!c) return docks;
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem) return docks;
    const xcb_window_t root = screens.data->root;
    const xcb_atom_t typeAtom = x11::atom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t dockAtom = x11::atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
    const std::vector<uint32_t> clients =
        x11::property32(c, root, x11::atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 1024);
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    for (const uint32_t window : clients) {
        const std::vector<uint32_t> types = x11::property32(c, window, typeAtom, XCB_ATOM_ATOM);
        if (std::find(types.begin(), types.end(), dockAtom) == types.end()) continue;
        auto geometry = x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
        auto origin = x11::reply(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr));
        if (!geometry || !origin) continue;
        const QRect px(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        docks.append(QRect(QPoint(qRound(px.x() / ratio), qRound(px.y() / ratio)),
                           QSize(qRound(px.width() / ratio), qRound(px.height() / ratio))));
    }
    return docks;
}

}  // namespace

QRect clearOfDocks(const QRect& screen, const QRect& available, const QList<QRect>& docks)
{
    int left = available.left(), top = available.top(), right = available.right(), bottom = available.bottom();
    const QPoint middle = screen.center();
    for (const QRect& dock : docks) {
        if (!dock.intersects(available)) continue;
        const bool lying = dock.width() >= dock.height();  // a bar along the top or bottom, or a square tray
        if (lying && dock.bottom() >= screen.bottom() - 1 && dock.top() > middle.y())
            bottom = std::min(bottom, dock.top() - 1);
        else if (lying && dock.top() <= screen.top() + 1 && dock.bottom() < middle.y())
            top = std::max(top, dock.bottom() + 1);
        else if (!lying && dock.left() <= screen.left() + 1 && dock.right() < middle.x())
            left = std::max(left, dock.right() + 1);
        else if (!lying && dock.right() >= screen.right() - 1 && dock.left() > middle.x())
            right = std::min(right, dock.left() - 1);
    }
    const QRect clear(QPoint(left, top), QPoint(right, bottom));
    // A dock that would leave less than half the area is not an edge's: the area stays.
    if (clear.width() < available.width() / 2 || clear.height() < available.height() / 2) return available;
    return clear;
}

QRect clearOfDocks(const QRect& screen, const QRect& available)
{
    return clearOfDocks(screen, available, listedDocks());
}

}  // namespace klipo::platform
