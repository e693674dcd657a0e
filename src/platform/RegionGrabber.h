#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

namespace klipo::platform {

// Reads rectangles of the whole desktop at device pixels, fast enough to be
// called many times a second (screen recording, scrolling capture). One
// grabber belongs to one thread; make one per thread that grabs.
class RegionGrabber {
public:
    virtual ~RegionGrabber() = default;

    // The whole grabbable desktop in device pixels (origin top left).
    virtual QSize desktopSize() const = 0;

    // Reads `rectPx` (device pixels, origin at the desktop's top left) into
    // `frame`, which becomes Format_RGB32 of the rectangle's size; its memory
    // is reused when it already has that size and format and is not shared.
    // Parts of the rectangle outside the desktop are black. With `withCursor`
    // the pointer is drawn in. Returns a reason (Chinese) on failure.
    virtual std::optional<QString> grab(const QRect& rectPx, QImage& frame, bool withCursor) = 0;
};

// A grabber for this session (X11), or nothing with the reason in `error`.
// Needs no QApplication and may be called on any thread.
std::unique_ptr<RegionGrabber> createRegionGrabber(QString* error = nullptr);

}  // namespace klipo::platform
