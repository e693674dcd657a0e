#pragma once

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
    // Runs `then` once the screen no longer shows them (a compositing window
    // manager fades a closed menu out), or `waitMs` later at the latest; at
    // once when there are none.
    static void whenGone(std::shared_ptr<MenusOffScreen> menus, int waitMs, std::function<void()> then);

    struct Closed {
        QRect rect;   // on the desktop, in points
        QImage look;  // the menu as it was drawn
        qint64 closedAtMs = 0;
    };

private:
    // Where a closed menu was and the samples of its picture that are not
    // its background, where the screen is compared with it.
    struct Marks {
        QRect rect;
        QSize size;  // of its picture
        QList<std::pair<QPoint, QRgb>> samples;
    };
    static Marks marksOf(const Closed& menu);
    static double shownShare(const Marks& menu);

    QList<Marks> m_menus;
};

}  // namespace klipo::platform
