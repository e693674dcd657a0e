#pragma once

#include <QDeadlineTimer>
#include <QImage>
#include <QList>
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
    bool goneFromScreen() const;
    // What the screen shows in an area of the desktop (in points). The
    // screen itself unless a test puts in its own pictures; empty: the
    // screen again.
    using ScreenPicture = std::function<QImage(const QRect& area)>;
    static void setScreenPicture(ScreenPicture picture);

    // The longest wait for the programs below a closed menu to repaint it away.
    static constexpr int longestWaitMs = 600;
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
    // A point of a closed menu's picture, where the screen is compared with it.
    struct Sample {
        QPoint at;
        QRgb colour;
        bool mark;  // drawn on the menu's background
    };
    // Where a closed menu was and samples of its picture.
    struct Marks {
        QRect rect;
        QSize size;  // of its picture
        QList<Sample> samples;
    };
    static Marks marksOf(const Closed& menu);
    static bool stillShown(const Marks& menu);

    QList<Marks> m_menus;
};

}  // namespace klipo::platform
