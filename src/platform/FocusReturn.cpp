#include "platform/FocusReturn.h"

#include "platform/StackKeeper.h"

#include <QWidget>

#include <utility>

namespace klipo::platform {

void FocusReturn::noteBefore(const QWidget* own, std::optional<NativeWindowId> giveBackTo)
{
    const std::optional<NativeWindowId> before = giveBackTo ? giveBackTo : windowFocus().activeWindow();
    const bool isOwn = before && own && own->internalWinId() && *before == NativeWindowId(own->internalWinId());
    m_before = isOwn ? std::nullopt : before;
}

void FocusReturn::giveBack(const QWidget* own)
{
    const std::optional<NativeWindowId> before = std::exchange(m_before, std::nullopt);
    if (!before || !own || !own->isVisible() || !own->isActiveWindow()) return;
    const QList<StackedWindow> stack = managedWindowsBottomToTop();
    windowFocus().activateWindow(*before);
    keepOwnStacking(stack, before);
}

}  // namespace klipo::platform
