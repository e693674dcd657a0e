#pragma once

#include "platform/LooksOnScreen.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <utility>

namespace klipo::platform {

// Our menus (the tray menu, context menus) taken off the screen for a screen
// grab. An open one is closed for good, and one that closed a moment ago may
// still show: without a compositing window manager the windows below keep the
// menu's picture until their programs repaint. Main thread only.
class MenusOffScreen {
public:
    // Starts noting our menus as they close. Once, before any menu opens.
    static void watch();
    // Closes every open menu of ours and holds those closed in the last second.
    static MenusOffScreen closeAll();

    bool isEmpty() const { return m_menus.isEmpty(); }
    // True once the screen no longer shows any of them where they were.
    bool goneFromScreen() const { return m_menus.goneFromScreen(); }
    // What the screen shows in an area of the desktop (in points), as
    // LooksOnScreen sees it.
    using ScreenPicture = LooksOnScreen::ScreenPicture;
    static void setScreenPicture(ScreenPicture picture) { LooksOnScreen::setScreenPicture(std::move(picture)); }

    // The longest wait for the programs below a closed menu to repaint it away.
    static constexpr int longestWaitMs = LooksOnScreen::longestWaitMs;
    // Closes every open menu of ours and runs `then` on a later turn of the
    // event loop once the screen shows none of them (or after longestWaitMs);
    // at once when no menu of ours was shown in the last second. For a grab
    // started from a menu item: the menu has just closed.
    static void closeAllThen(std::function<void()> then);
    // Runs `then` once the screen shows none of `menus`, or at the deadline
    // (`then` runs at once when it can already).
    static void whenGone(const std::shared_ptr<MenusOffScreen>& menus, QDeadlineTimer deadline,
                         std::function<void()> then);

    struct Closed {
        QRect rect;   // on the desktop, in points
        QImage look;  // the menu as it was drawn
        qint64 closedAtMs = 0;
    };

private:
    LooksOnScreen m_menus;
};

}  // namespace klipo::platform
