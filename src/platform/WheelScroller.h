#pragma once

#include <QPoint>
#include <QString>

#include <memory>

namespace klipo::platform {

// Synthetic mouse-wheel notches, for scrolling another program's content
// without the user. They go to the window under the pointer, so the pointer
// is moved there for them and put back afterwards. How far one notch scrolls
// is up to the program underneath. One scroller belongs to one thread.
class WheelScroller {
public:
    virtual ~WheelScroller() = default;

    // Turns the wheel `notches` steps at `atPx` (device pixels, global, origin
    // top left): positive towards the end of the content (down), negative
    // towards its start (up). Then puts the pointer back. False when nothing
    // could be posted.
    virtual bool scroll(QPoint atPx, int notches) = 0;
};

// A scroller for this session (X11 with the XTEST extension), or nothing with
// the reason (Chinese) in `error`. Without one the program may not post input:
// automatic scrolling is not offered.
std::unique_ptr<WheelScroller> createWheelScroller(QString* error = nullptr);

}  // namespace klipo::platform
