#pragma once

namespace klipo {

// What the annotate command needs of the capture overlay, whose inline tools
// annotate the selection. The shell plugs the overlay in; without one the
// command always uses the annotation window.
class AnnoCaptureOverlay {
public:
    virtual ~AnnoCaptureOverlay() = default;
    // An overlay session is open.
    virtual bool isActive() const = 0;
    // Opens a session whose Return copies the annotated selection.
    virtual void beginCopy() = 0;
    // Closes the open session without a result.
    virtual void close() = 0;
};

}  // namespace klipo
