#pragma once

namespace klipo {

// What a plain screenshot needs of the capture overlay. The shell plugs the
// overlay in; without one, plain screenshots use the region picker.
class PlainCaptureOverlay {
public:
    virtual ~PlainCaptureOverlay() = default;
    // An overlay session is open.
    virtual bool isActive() const = 0;
    // Opens a session whose Return copies the selection; the overlay then
    // copies and saves by itself.
    virtual void beginCopy() = 0;
    // Closes the open session without a result.
    virtual void close() = 0;
};

}  // namespace klipo
