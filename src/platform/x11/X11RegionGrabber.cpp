#include "platform/x11/X11RegionGrabber.h"

#include "platform/Session.h"
#include "platform/x11/X11Basics.h"

#include <xcb/shm.h>
#include <xcb/xfixes.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace klipo::platform {

std::unique_ptr<RegionGrabber> createRegionGrabber(QString* error)
{
    // Under Wayland the X root window (XWayland) shows none of the other programs.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0) {
        if (error) *error = screenGrabNeedsX11Reason();
        return nullptr;
    }
    return x11::X11RegionGrabber::connect(error);
}

}  // namespace klipo::platform

namespace klipo::platform::x11 {

namespace {

bool extensionPresent(xcb_connection_t* connection, xcb_extension_t* extension)
{
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(connection, extension);
    return data && data->present;
}

// Bits per pixel the server uses for images of `depth`.
int bitsPerPixel(xcb_connection_t* connection, std::uint8_t depth)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth) return it.data->bits_per_pixel;
    return 0;
}

// Copies `rows` rows of `width` pixels, making each pixel opaque (the server
// leaves the fourth byte undefined; Format_RGB32 wants it 0xff).
void copyOpaque(const std::uint8_t* from, int fromStride, QImage& frame, const QPoint& at, int width, int rows)
{
    for (int y = 0; y < rows; ++y) {
        const auto* src = reinterpret_cast<const std::uint32_t*>(from + std::size_t(y) * fromStride);
        auto* dst = reinterpret_cast<std::uint32_t*>(frame.scanLine(at.y() + y)) + at.x();
        for (int x = 0; x < width; ++x) dst[x] = src[x] | 0xff000000u;
    }
}

}  // namespace

std::unique_ptr<X11RegionGrabber> X11RegionGrabber::connect(QString* error)
{
    const auto fail = [error](const QString& reason) {
        if (error) *error = reason;
        return nullptr;
    };
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection) xcb_disconnect(connection);
        return fail(QStringLiteral("无法读取屏幕画面：连接不上 X 服务器（DISPLAY=%1）")
                        .arg(qEnvironmentVariable("DISPLAY")));
    }
    std::unique_ptr<X11RegionGrabber> grabber(new X11RegionGrabber);
    grabber->m_connection = connection;

    auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && roots.rem; ++i) xcb_screen_next(&roots);
    if (!roots.rem) return fail(QStringLiteral("无法读取屏幕画面：X 服务器没有这块屏幕"));
    const xcb_screen_t* screen = roots.data;
    grabber->m_root = screen->root;
    grabber->m_rootSize = QSize(screen->width_in_pixels, screen->height_in_pixels);
    if (bitsPerPixel(connection, screen->root_depth) != 32)
        return fail(QStringLiteral("无法读取屏幕画面：不支持 %1 位色深的屏幕").arg(screen->root_depth));

    if (extensionPresent(connection, &xcb_shm_id)) {
        auto version = reply(xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr));
        grabber->m_shmAvailable = version != nullptr;
    }
    if (extensionPresent(connection, &xcb_xfixes_id)) {
        // XFixes answers only after the client has announced its version.
        auto version = reply(xcb_xfixes_query_version_reply(
            connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        grabber->m_xfixesAvailable = version != nullptr;
    }
    return grabber;
}

X11RegionGrabber::~X11RegionGrabber()
{
    releaseSegment();
    if (m_connection) xcb_disconnect(m_connection);
}

QSize X11RegionGrabber::desktopSize() const { return m_rootSize; }

bool X11RegionGrabber::ensureSegment(std::size_t bytes)
{
    if (m_segment && m_memorySize >= bytes) return true;
    releaseSegment();
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) return false;  // perhaps only this size: plain reads for now
    void* memory = shmat(id, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(m_connection);
    auto* error = xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, segment, id, 0));
    // Once the server holds it, the segment can be marked for removal: it then
    // goes away with the last user, also when this process dies.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        // A server on another machine cannot share memory with us: read plainly from now on.
        std::free(error);
        shmdt(memory);
        m_shmAvailable = false;
        return false;
    }
    m_segment = segment;
    m_memory = memory;
    m_memorySize = bytes;
    return true;
}

void X11RegionGrabber::releaseSegment()
{
    if (!m_segment) return;
    xcb_shm_detach(m_connection, m_segment);
    xcb_flush(m_connection);
    shmdt(m_memory);
    m_segment = 0;
    m_memory = nullptr;
    m_memorySize = 0;
}

std::optional<QString> X11RegionGrabber::grab(const QRect& rectPx, QImage& frame, bool withCursor)
{
    if (xcb_connection_has_error(m_connection))
        return QStringLiteral("无法读取屏幕画面：与 X 服务器的连接已断开");
    if (rectPx.isEmpty()) return QStringLiteral("无法读取屏幕画面：区域为空");
    if (frame.size() != rectPx.size() || frame.format() != QImage::Format_RGB32)
        frame = QImage(rectPx.size(), QImage::Format_RGB32);
    if (frame.isNull()) return QStringLiteral("无法读取屏幕画面：内存不足");

    QRect area = rectPx & QRect(QPoint(0, 0), m_rootSize);
    if (area.isEmpty()) return QStringLiteral("无法读取屏幕画面：区域不在屏幕上");
    if (area != rectPx) frame.fill(Qt::black);
    const QPoint at = area.topLeft() - rectPx.topLeft();

    std::optional<QString> failure;
    if (m_shmAvailable && ensureSegment(std::size_t(area.width()) * area.height() * 4))
        failure = readShared(area, frame, at);
    else
        failure = readPlain(area, frame, at);
    if (failure) {
        // The screen may have changed size under us: learn the new size for the next grab.
        auto geometry = reply(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_root), nullptr));
        if (geometry) m_rootSize = QSize(geometry->width, geometry->height);
        return failure;
    }
    if (withCursor && m_xfixesAvailable) drawPointer(frame, rectPx);
    return std::nullopt;
}

std::optional<QString> X11RegionGrabber::readShared(const QRect& area, QImage& frame, const QPoint& at)
{
    xcb_generic_error_t* error = nullptr;
    auto image = reply(xcb_shm_get_image_reply(
        m_connection,
        xcb_shm_get_image(m_connection, m_root, std::int16_t(area.x()), std::int16_t(area.y()),
                          std::uint16_t(area.width()), std::uint16_t(area.height()), ~0u,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0),
        &error));
    if (!image) {
        std::free(error);
        return QStringLiteral("无法读取屏幕画面：X 服务器拒绝了读取请求");
    }
    copyOpaque(static_cast<const std::uint8_t*>(m_memory), area.width() * 4, frame, at, area.width(),
               area.height());
    return std::nullopt;
}

std::optional<QString> X11RegionGrabber::readPlain(const QRect& area, QImage& frame, const QPoint& at)
{
    xcb_generic_error_t* error = nullptr;
    auto image = reply(xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, std::int16_t(area.x()),
                      std::int16_t(area.y()), std::uint16_t(area.width()), std::uint16_t(area.height()), ~0u),
        &error));
    if (!image) {
        std::free(error);
        return QStringLiteral("无法读取屏幕画面：X 服务器拒绝了读取请求");
    }
    if (xcb_get_image_data_length(image.get()) < area.width() * area.height() * 4)
        return QStringLiteral("无法读取屏幕画面：X 服务器返回的图像不完整");
    copyOpaque(xcb_get_image_data(image.get()), area.width() * 4, frame, at, area.width(), area.height());
    return std::nullopt;
}

void X11RegionGrabber::drawPointer(QImage& frame, const QRect& rectPx)
{
    auto cursor = reply(xcb_xfixes_get_cursor_image_reply(
        m_connection, xcb_xfixes_get_cursor_image(m_connection), nullptr));
    if (!cursor || cursor->width == 0 || cursor->height == 0) return;
    const int width = cursor->width;
    const int height = cursor->height;
    if (xcb_xfixes_get_cursor_image_cursor_image_length(cursor.get()) < width * height) return;
    const std::uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(cursor.get());
    const int left = cursor->x - cursor->xhot - rectPx.x();
    const int top = cursor->y - cursor->yhot - rectPx.y();
    // Premultiplied ARGB drawn over the opaque frame: out = src + dst * (1 - alpha).
    for (int y = std::max(0, -top); y < height && top + y < frame.height(); ++y) {
        auto* dst = reinterpret_cast<std::uint32_t*>(frame.scanLine(top + y));
        for (int x = std::max(0, -left); x < width && left + x < frame.width(); ++x) {
            const std::uint32_t src = pixels[y * width + x];
            const std::uint32_t alpha = src >> 24;
            if (alpha == 0) continue;
            std::uint32_t& out = dst[left + x];
            std::uint32_t mixed = 0xff000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::uint32_t s = (src >> shift) & 0xff;
                const std::uint32_t d = (out >> shift) & 0xff;
                mixed |= std::min<std::uint32_t>(255, s + d * (255 - alpha) / 255) << shift;
            }
            out = mixed;
        }
    }
}

}  // namespace klipo::platform::x11
