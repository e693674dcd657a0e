#pragma once

// Full-screen translation as the user starts it: the program itself is
// launched, Control-Shift-F is pressed on the X server, and the clock stops
// when the history holds the new record. Run inside the headless desktop
// with a tray host (not the minimal one).

namespace klipo::bench {

struct KeyPressRoadOptions {
    int launches = 5;    // cold: the first translation after each launch
    int warmRuns = 5;    // presses right after one another, in the first launch
    int idleRuns = 2;    // presses after a minute idle (the engines freed)
};

// Prints the figures; returns non-zero when the road failed.
int runKeyPressRoad(const KeyPressRoadOptions& options);

}  // namespace klipo::bench
