#include "platform/x11/X11ScreenGrabber.h"

#include "platform/QtScreenMetrics.h"
#include "platform/x11/X11Basics.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace klipo::platform::x11 {

namespace {

bool xfixesReady(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!extension || !extension->present) return false;
    // The server answers XFixes requests only after the client announced its version.
    static const bool announced = [connection] {
        std::free(xcb_xfixes_query_version_reply(
            connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        return true;
    }();
    return announced;
}

// Draws the current pointer image into `image`, a grab of `screen`. Without
// XFixes the picture simply stays without pointer.
void drawPointer(QImage& image, const QScreen* screen)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection || !xfixesReady(connection)) return;
    std::unique_ptr<xcb_xfixes_get_cursor_image_reply_t, decltype(&std::free)> reply(
        xcb_xfixes_get_cursor_image_reply(connection, xcb_xfixes_get_cursor_image(connection), nullptr), &std::free);
    if (!reply || reply->width == 0 || reply->height == 0) return;
    const int width = reply->width;
    const int height = reply->height;
    if (xcb_xfixes_get_cursor_image_cursor_image_length(reply.get()) < width * height) return;
    const QImage pointer = QImage(reinterpret_cast<const uchar*>(xcb_xfixes_get_cursor_image_cursor_image(reply.get())),
                                  width, height, width * 4, QImage::Format_ARGB32_Premultiplied)
                               .copy();
    // X reports root-window pixels; a screen keeps its top-left corner unscaled in Qt.
    const QPoint origin = screen->geometry().topLeft();
    const QPoint topLeft(reply->x - reply->xhot - origin.x(), reply->y - reply->yhot - origin.y());
    QPainter painter(&image);
    painter.drawImage(topLeft, pointer);
}

}  // namespace

CaptureOutcome grabScreen(QScreen* screen, int index, bool includeCursor)
{
    if (!screen) return CaptureOutcome::failed(QStringLiteral("无法读取屏幕画面：找不到这个显示器"));
    QImage image = screen->grabWindow(0).toImage();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return CaptureOutcome::failed(QStringLiteral("无法读取屏幕画面：X 服务器没有返回图像"));
    image.setDevicePixelRatio(1.0);
    if (includeCursor) {
        if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
            image = image.convertToFormat(QImage::Format_RGB32);
        drawPointer(image, screen);
    }
    return CaptureOutcome::success(std::move(image), screen->devicePixelRatio(), screenInfo(screen, index));
}

}  // namespace klipo::platform::x11
