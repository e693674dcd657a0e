#pragma once

class QWidget;

namespace klipo::platform {

// Brings one of our floating windows to the front without taking the focus.
// Window managers keep another program's focused full-screen window above
// every "keep above" window; while such a window has the focus, ours is tied
// to it (as its transient) so that it shows above it, and untied again the
// next time it is raised over anything else. Main thread only.
void raiseWithoutFocus(QWidget* window);

}  // namespace klipo::platform
