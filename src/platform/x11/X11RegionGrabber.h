#pragma once

#include "platform/RegionGrabber.h"

#include <xcb/xcb.h>

#include <cstddef>

namespace klipo::platform::x11 {

// Reads the root window through MIT-SHM (xcb_shm_get_image) on a connection of
// its own, falling back to plain xcb_get_image where the server offers no
// shared memory. The pointer comes from XFixes.
class X11RegionGrabber final : public RegionGrabber {
public:
    // Connects to $DISPLAY; nothing with the reason in `error` when that fails.
    static std::unique_ptr<X11RegionGrabber> connect(QString* error);
    ~X11RegionGrabber() override;

    QSize desktopSize() const override;
    std::optional<QString> grab(const QRect& rectPx, QImage& frame, bool withCursor) override;

    bool usesSharedMemory() const { return m_shmAvailable; }

private:
    X11RegionGrabber() = default;
    bool ensureSegment(std::size_t bytes);
    void releaseSegment();
    std::optional<QString> readShared(const QRect& area, QImage& frame, const QPoint& at);
    std::optional<QString> readPlain(const QRect& area, QImage& frame, const QPoint& at);
    void drawPointer(QImage& frame, const QRect& rectPx);

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    QSize m_rootSize;
    bool m_shmAvailable = false;
    bool m_xfixesAvailable = false;
    std::uint32_t m_segment = 0;  // xcb_shm_seg_t, 0 when none is attached
    void* m_memory = nullptr;
    std::size_t m_memorySize = 0;
};

}  // namespace klipo::platform::x11
