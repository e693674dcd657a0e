#include "platform/WheelScroller.h"

#include <QtGlobal>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

namespace klipo::platform {

namespace {

// XTEST on a connection of its own: the wheel is buttons 4 (up) and 5 (down).
class X11WheelScroller final : public WheelScroller {
public:
    static std::unique_ptr<WheelScroller> connect(QString* error)
    {
        const auto fail = [error](const QString& reason) {
            if (error) *error = reason;
            return nullptr;
        };
        int screenNumber = 0;
        xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
        if (!connection || xcb_connection_has_error(connection)) {
            if (connection) xcb_disconnect(connection);
            return fail(QStringLiteral("无法连接 X11 显示服务器"));
        }
        const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
        if (!xtest || !xtest->present) {
            xcb_disconnect(connection);
            return fail(QStringLiteral("X11 显示服务器不支持模拟输入（XTEST）"));
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
        if (!it.rem) {
            xcb_disconnect(connection);
            return fail(QStringLiteral("找不到 X11 屏幕"));
        }
        return std::unique_ptr<WheelScroller>(new X11WheelScroller(connection, it.data->root));
    }

    ~X11WheelScroller() override { xcb_disconnect(m_connection); }

    bool scroll(QPoint atPx, int notches) override
    {
        if (notches == 0 || xcb_connection_has_error(m_connection)) return false;
        std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> pointer(
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr), &std::free);
        if (!pointer) return false;
        moveTo(atPx.x(), atPx.y());
        const std::uint8_t button = notches > 0 ? 5 : 4;
        for (int i = 0; i < std::abs(notches); ++i) {
            xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, m_root, 0, 0, 0);
            xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, m_root, 0, 0, 0);
        }
        moveTo(pointer->root_x, pointer->root_y);
        // A round trip: the server has taken every event when this returns.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return !xcb_connection_has_error(m_connection);
    }

private:
    X11WheelScroller(xcb_connection_t* connection, xcb_window_t root) : m_connection(connection), m_root(root) {}

    // A real pointer motion (not a warp), so the window underneath sees the
    // pointer arrive before the wheel turns.
    void moveTo(int x, int y)
    {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, std::int16_t(x),
                            std::int16_t(y), 0);
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

}  // namespace

std::unique_ptr<WheelScroller> createWheelScroller(QString* error)
{
    // Under Wayland the wheel would reach only the few programs on XWayland.
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0) {
        if (error) *error = QStringLiteral("需要 X11 会话才能自动滚动");
        return nullptr;
    }
    return X11WheelScroller::connect(error);
}

}  // namespace klipo::platform
