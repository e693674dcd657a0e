#pragma once

#include "platform/WindowStacking.h"

#include <QList>
#include <QtGlobal>

// Where windows go in the window manager's stack to lie as they lay before:
// the arithmetic, apart from asking the window manager.
namespace klipo::platform {

// A window to put right below another one, its sibling, or on top of its
// layer (sibling 0).
struct StackMove {
    quint32 window = 0;
    quint32 sibling = 0;
    bool operator==(const StackMove&) const = default;
};

// The moves that put `windows` back as they lay in `before` (the stack from
// the bottom up) among the windows `present` now: each right below the
// nearest window above it in `before`, of its layer, that is present (one of
// `windows` moved before it included), or on top of its layer where there is
// none. From the top of `before` down, the order to ask for them in: a window
// manager that only lowers a window to the bottom then leaves them in their
// order too.
QList<StackMove> movesBackTo(const QList<StackedWindow>& before, const QList<quint32>& present,
                             const QList<quint32>& windows);

// When one of `ours` lies in `now` above a window of another program of its
// layer that it lay below in `before`: the moves that put it, and those of
// ours below it in its layer in `before`, back below those windows. None
// otherwise; and none that would lift a window to the top.
QList<StackMove> movesForRisen(const QList<StackedWindow>& before, const QList<StackedWindow>& now,
                               const QList<quint32>& ours);

}  // namespace klipo::platform
