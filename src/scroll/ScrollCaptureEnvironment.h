#pragma once

#include "platform/WindowFocus.h"
#include "scroll/ScrollCaptureGeometry.h"
#include "scroll/ScrollDelivery.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace klipo::platform {
class WheelScroller;
}

namespace klipo {

// Reads the captured rectangle, one still at a time.
class ScrollFrameSource {
public:
    virtual ~ScrollFrameSource() = default;
    // One still of the rectangle at device pixels, without the pointer; the
    // reason (Chinese) when there is none.
    virtual std::optional<QString> grab(QImage& frame) = 0;
};

// Everything a scrolling capture uses around it: the overlay's pick, the
// recording's state, the shortcut checker, the screen, the wheel, the toast
// and the output path. The desktop's own is made by shared(); tests drive the
// service through a fake. Main thread.
class ScrollCaptureEnvironment {
public:
    virtual ~ScrollCaptureEnvironment() = default;

    virtual bool recordingBusy() = 0;
    // Why the frames of a capture cannot be kept now (the folder they would
    // wait in is the user's), for the user; none when they can.
    virtual std::optional<QString> spoolUnavailable() = 0;
    // The checker's warning for the stored scrolling-capture shortcut, if any.
    virtual std::optional<QString> shortcutConflict() = 0;

    virtual bool overlayActive() = 0;
    // Opens the overlay to pick a rectangle; `done` gets it, or none when the
    // pick ended without one (also when the overlay refused to open).
    virtual void beginPick(const QString& hint, std::function<void(std::optional<ScrollTarget>)> done) = 0;
    // Closes a running pick; its completion gets none.
    virtual void closePick() = 0;

    virtual std::optional<platform::NativeWindowId> activeWindow() = 0;
    virtual void activateWindow(platform::NativeWindowId window) = 0;

    // "scrollCropTop": points cut off the top of every frame.
    virtual int storedCropTop() = 0;

    // A reader of `rectPx` (global device pixels), or none with the reason.
    virtual std::unique_ptr<ScrollFrameSource> openFrameSource(const QRect& rectPx, QString* error) = 0;
    // The wheel, when the program may post input now; none otherwise.
    virtual std::unique_ptr<platform::WheelScroller> openScroller() = 0;
    // The tallest long image of this width that the memory allows now.
    virtual int maxCanvasHeight(int widthPx) = 0;
    // Keeps our own windows out of `globalRect` (global points) for the
    // capture: the toast shows elsewhere, the others over it (but the
    // capture's own `captureWindows`) are hidden until releaseOwnWindows().
    // True when one had to move or go (the next stills should wait for the
    // screen to settle).
    virtual bool moveOwnWindowsOut(const QRectF& globalRect, const QList<QWidget*>& captureWindows) = 0;
    // True while the screen in the region may still show our windows that
    // went from it (the programs below have not repainted there yet), for a
    // moment at most: no still is taken meanwhile.
    virtual bool ownWindowsStillShown() = 0;
    virtual void releaseOwnWindows() = 0;

    virtual void toast(const QString& title, const QString& subtitle) = 0;
    // The long image through the output path (saved, copied, toast, history);
    // the toast warns when `inexactSeams` seams were not matched exactly.
    virtual void deliver(const QImage& image, const QString& noteSuffix, int inexactSeams) = 0;
    // At quit: writes the image at once (a desktop notification says where).
    virtual ScrollDelivery::Saved saveNow(const QImage& image) = 0;
    virtual void notify(const QString& title, const QString& body) = 0;
};

}  // namespace klipo
