#pragma once

#include "platform/WindowStacking.h"

#include <QList>

#include <optional>

namespace klipo::platform {

// For a moment after our windows came back on the screen, or one of ours
// gave the focus away, puts those of ours that the window manager raised
// above windows of other programs they lay below in `before` (the stack from
// the bottom up) back below them. Managers place a window shown again on top
// (xfwm4) or right below the focused window (mutter), and raise a window of
// ours they hand the focus to. Only while `active` has the focus, when
// given: the user's own switch to one of ours stays. Main thread only; does
// nothing outside X11.
void keepOwnStacking(QList<StackedWindow> before, std::optional<quint32> active);

}  // namespace klipo::platform
