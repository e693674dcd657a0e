#pragma once

#include "platform/WindowFocus.h"

#include <optional>

class QWidget;

namespace klipo::platform {

// The window that had the focus before one of ours took it, to get it back
// when ours goes. Asked of the window manager while ours is still on the
// screen: a window of ours that goes with the focus has the manager hand it
// on by its own rules, and xfwm4 hands it to another window of ours and
// raises that over the program the user came from. Main thread only.
class FocusReturn {
public:
    // Notes the window that has the focus now (or `giveBackTo`), unless it
    // is `own`, the window of ours about to take it.
    void noteBefore(const QWidget* own, std::optional<NativeWindowId> giveBackTo = std::nullopt);
    // Call while `own` is still shown, right before it goes: gives the focus
    // back when `own` has it (the user may have taken it elsewhere), and
    // keeps our other windows as deep in the stack as they are. Once.
    void giveBack(const QWidget* own);
    // Gives nothing back when `own` goes next: it goes to open another
    // window of ours, which is to have the focus.
    void forget() { m_before.reset(); }

private:
    std::optional<NativeWindowId> m_before;
};

}  // namespace klipo::platform
