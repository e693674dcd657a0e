#pragma once

#include <QList>
#include <QtGlobal>

class QWidget;

namespace klipo::platform {

// Brings one of our floating windows to the front without taking the focus.
// Window managers keep another program's focused full-screen window above
// every "keep above" window; while such a window has the focus, ours is tied
// to it (as its transient) so that it shows above it, and untied again the
// next time it is raised over anything else. Main thread only.
void raiseWithoutFocus(QWidget* window);

// Where the window manager keeps a window in its stack: below the others,
// among them, or above them (kept above; docks and panels).
enum class StackLayer { below, normal, above };
struct StackedWindow {
    quint32 id = 0;
    StackLayer layer = StackLayer::normal;
};

// The windows the window manager manages, from the bottom of the stack to the
// top; empty when it lists none.
QList<StackedWindow> managedWindowsBottomToTop();

// Whether a window of another program lies above one of our windows in its
// layer of the stack.
bool belowOtherPrograms(const QWidget* window);

// Whether the window manager takes requests to restack its windows (EWMH
// _NET_RESTACK_WINDOW). Without them (xfwm4) a window of ours can only lower
// itself to the bottom of its layer, or raise itself while it has the focus.
bool managerTakesRestackRequests();

// Asks the window manager to put one of our shown windows directly below
// `sibling`, one of the windows it manages (a manager that cannot place it
// there, openbox or xfwm4, puts it below every other of its layer).
void restackBelow(QWidget* window, quint32 sibling);
// Asks it to put one of our shown windows above every other of its layer,
// without giving it the focus (xfwm4 raises only the focused window so).
void restackOnTop(QWidget* window);

}  // namespace klipo::platform
