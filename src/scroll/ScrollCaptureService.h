#pragma once

namespace klipo {

// Scrolling (long) screenshots.
class ScrollCaptureService {
public:
    enum class ScrollState { idle, picking, capturing, stitching };

    static ScrollCaptureService& shared();

    ScrollState state = ScrollState::idle;

    // Not built yet: reports that the feature is pending.
    void beginFlow();
    // Ends a running capture without a result; safe in any state.
    void cancelCapture();
};

}  // namespace klipo
