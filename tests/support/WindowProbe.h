#pragma once

// The desktop's windows read as a pager or task bar would, on a connection of
// its own: what the window manager says of each window (type, states,
// desktop, stacking, the active window) and whether it really shows.
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace klipo::test {

class WindowProbe {
public:
    // On the display named (DISPLAY's when empty).
    explicit WindowProbe(const QByteArray& display = {})
        : m_c(xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr))
    {
        if (xcb_connection_has_error(m_c)) return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }
    ~WindowProbe() { xcb_disconnect(m_c); }
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    bool isConnected() const { return m_root != XCB_WINDOW_NONE; }

    // The managed windows of process `pid`, bottom to top.
    QList<xcb_window_t> windowsOf(qint64 pid)
    {
        QList<xcb_window_t> windows;
        for (uint32_t w : property32(m_root, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW, 4096)) {
            const auto owner = property32(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 1);
            if (!owner.empty() && owner.front() == quint32(pid)) windows.append(w);
        }
        return windows;
    }
    // Those whose title is `title`.
    QList<xcb_window_t> windowsOf(qint64 pid, const QString& title)
    {
        QList<xcb_window_t> found;
        for (xcb_window_t w : windowsOf(pid))
            if (this->title(w) == title) found.append(w);
        return found;
    }

    QString title(xcb_window_t w) { return QString::fromUtf8(property(w, "_NET_WM_NAME", atom("UTF8_STRING"))); }

    // Atom names without their "_NET_WM_STATE_" / "_NET_WM_WINDOW_TYPE_" head.
    QStringList states(xcb_window_t w) { return atomNames(w, "_NET_WM_STATE", "_NET_WM_STATE_"); }
    QStringList types(xcb_window_t w) { return atomNames(w, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_"); }

    // The desktop the window manager keeps it on (0xFFFFFFFF: every one); -1 when unset.
    qint64 desktop(xcb_window_t w)
    {
        const auto v = property32(w, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL, 1);
        return v.empty() ? -1 : qint64(v.front());
    }

    // The user is shown the window: mapped and viewable, not hidden (iconic)
    // by the window manager.
    bool isShown(xcb_window_t w)
    {
        Reply<xcb_get_window_attributes_reply_t> a(
            xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, w), nullptr), &std::free);
        return a && a->map_state == XCB_MAP_STATE_VIEWABLE && !states(w).contains(QStringLiteral("HIDDEN"));
    }

    // It or its window manager asks for the user's attention (the task bar's
    // blinking button).
    bool demandsAttention(xcb_window_t w)
    {
        const auto hints = property32(w, "WM_HINTS", XCB_ATOM_WM_HINTS, 9);
        constexpr uint32_t urgency = 1u << 8;
        return states(w).contains(QStringLiteral("DEMANDS_ATTENTION")) || (!hints.empty() && (hints[0] & urgency));
    }

    xcb_window_t activeWindow()
    {
        const auto v = property32(m_root, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, 1);
        return v.empty() ? xcb_window_t(XCB_WINDOW_NONE) : xcb_window_t(v.front());
    }

    // The window with the keyboard focus as the X server has it (not as the
    // window manager says): none, the pointer's root (1) or a window.
    xcb_window_t keyboardFocus()
    {
        Reply<xcb_get_input_focus_reply_t> f(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr),
                                             &std::free);
        return f ? f->focus : xcb_window_t(XCB_WINDOW_NONE);
    }
    // Whether the keys go to `w` or one of its subwindows.
    bool hasKeyboard(xcb_window_t w)
    {
        xcb_window_t at = keyboardFocus();
        for (int depth = 0; depth < 32 && at != XCB_WINDOW_NONE && at != m_root; ++depth) {
            if (at == w) return true;
            Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(m_c, xcb_query_tree(m_c, at), nullptr), &std::free);
            if (!tree) return false;
            at = tree->parent;
        }
        return false;
    }

    QList<xcb_window_t> stackingBottomToTop()
    {
        QList<xcb_window_t> list;
        for (uint32_t w : property32(m_root, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW, 4096)) list.append(w);
        return list;
    }

    // Where the window's own area is, in root coordinates.
    QRect geometry(xcb_window_t w)
    {
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, w), nullptr), &std::free);
        Reply<xcb_translate_coordinates_reply_t> t(
            xcb_translate_coordinates_reply(m_c, xcb_translate_coordinates(m_c, w, m_root, 0, 0), nullptr), &std::free);
        if (!g || !t) return {};
        return QRect(t->dst_x, t->dst_y, g->width, g->height);
    }

    // What shows of it: its geometry without the border it draws itself (a
    // shadow), which it names in _GTK_FRAME_EXTENTS as window managers read it.
    QRect shownGeometry(xcb_window_t w)
    {
        const auto own = property32(w, "_GTK_FRAME_EXTENTS", XCB_ATOM_CARDINAL, 4);
        const QRect all = geometry(w);
        if (own.size() != 4) return all;
        return all.adjusted(int(own[0]), int(own[2]), -int(own[1]), -int(own[3]));  // left, right, top, bottom
    }

    // Its geometry with the frame the window manager draws around it.
    QRect frameGeometry(xcb_window_t w)
    {
        const auto frame = property32(w, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, 4);
        const QRect all = geometry(w);
        if (frame.size() != 4) return all;
        return all.adjusted(-int(frame[0]), -int(frame[2]), int(frame[1]), int(frame[3]));  // left, right, top, bottom
    }

    // Where `w` lies in the window manager's stack, from the bottom (-1: not there).
    qsizetype stackPosition(xcb_window_t w) { return stackingBottomToTop().indexOf(w); }

    // Whether a tray has taken in (XEmbed) a window of process `pid`: one
    // that carries _XEMBED_INFO and is no longer a child of the root.
    bool hasEmbeddedWindow(qint64 pid) { return findEmbedded(m_root, pid, 0); }

    // The owner of a selection (a tray's, a compositor's), none when unowned.
    xcb_window_t selectionOwner(const char* selection)
    {
        Reply<xcb_get_selection_owner_reply_t> r(
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, atom(selection)), nullptr), &std::free);
        return r ? r->owner : xcb_window_t(XCB_WINDOW_NONE);
    }

private:
    template <typename T>
    using Reply = std::unique_ptr<T, decltype(&std::free)>;

    xcb_atom_t atom(const char* name)
    {
        Reply<xcb_intern_atom_reply_t> r(
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr),
            &std::free);
        return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    QString atomName(xcb_atom_t a)
    {
        Reply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(m_c, xcb_get_atom_name(m_c, a), nullptr),
                                           &std::free);
        return r ? QString::fromLatin1(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get()))
                 : QString();
    }
    QByteArray property(xcb_window_t w, const char* name, xcb_atom_t type)
    {
        Reply<xcb_get_property_reply_t> r(
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, w, atom(name), type, 0, 1024), nullptr), &std::free);
        if (!r) return {};
        return QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())),
                          xcb_get_property_value_length(r.get()));
    }
    std::vector<uint32_t> property32(xcb_window_t w, const char* name, xcb_atom_t type, uint32_t count)
    {
        Reply<xcb_get_property_reply_t> r(
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, w, atom(name), type, 0, count), nullptr), &std::free);
        if (!r || r->format != 32) return {};
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
        return {v, v + xcb_get_property_value_length(r.get()) / 4};
    }
    bool findEmbedded(xcb_window_t parent, qint64 pid, int depth)
    {
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(m_c, xcb_query_tree(m_c, parent), nullptr), &std::free);
        if (!tree || depth > 4) return false;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t w = children[i];
            const auto owner = property32(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 1);
            if (depth > 0 && !owner.empty() && owner.front() == quint32(pid) &&
                !property(w, "_XEMBED_INFO", atom("_XEMBED_INFO")).isEmpty())
                return true;
            if (findEmbedded(w, pid, depth + 1)) return true;
        }
        return false;
    }
    QStringList atomNames(xcb_window_t w, const char* name, const QString& head)
    {
        QStringList names;
        for (uint32_t a : property32(w, name, XCB_ATOM_ATOM, 64)) names << atomName(a).remove(head);
        return names;
    }

    xcb_connection_t* m_c;
    xcb_window_t m_root = XCB_WINDOW_NONE;
};

}  // namespace klipo::test
