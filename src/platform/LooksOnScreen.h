#pragma once

#include <QDeadlineTimer>
#include <QImage>
#include <QList>
#include <QRect>

#include <functional>
#include <memory>
#include <utility>

namespace klipo::platform {

// Pictures of our windows just taken off the screen, to tell when the screen
// no longer shows them. Without a compositing window manager the windows
// below keep the picture of ours until their programs repaint there, and on a
// busy machine that takes a moment; a compositor too shows the change only
// at its next redraw. Main thread only.
class LooksOnScreen {
public:
    // One of our windows as it was drawn (at any scale) and where it was on
    // the desktop, in points. For `plainMs` from now, a screen of one colour
    // there counts as still showing it: the window of a program with a
    // background colour is filled with it at once, its content drawn later.
    void add(const QRect& rect, const QImage& look, int plainMs = 0);
    bool isEmpty() const { return m_looks.isEmpty(); }
    // True once the screen no longer shows any of them where they were.
    bool goneFromScreen() const;
    // The longest wait for the programs below to repaint them away.
    static constexpr int longestWaitMs = 600;
    // Runs `then` once the screen shows none of `looks`, or at the deadline;
    // at once when it can already.
    static void whenGone(const std::shared_ptr<const LooksOnScreen>& looks, QDeadlineTimer deadline,
                         std::function<void()> then);
    // What the screen shows in `areas` of the desktop (in points).
    static QList<QImage> picturesOf(const QList<QRect>& areas);
    // Runs `then` once the screen stands still in `areas` (two pictures a
    // moment apart are the same), not before `notBefore`: a compositing
    // window manager fades and shrinks a window that goes away over a few
    // frames (mutter, KWin). At the deadline it runs anyway; without areas,
    // at `notBefore`.
    static void whenStill(const QList<QRect>& areas, QDeadlineTimer notBefore, QDeadlineTimer deadline,
                          std::function<void()> then);

    // What the screen shows in an area of the desktop (in points). The
    // screen itself unless a test puts in its own pictures; empty: the
    // screen again.
    using ScreenPicture = std::function<QImage(const QRect& area)>;
    static void setScreenPicture(ScreenPicture picture);

private:
    // A point of a window's picture, where the screen is compared with it.
    struct Sample {
        QPoint at;
        QRgb colour;
        bool mark;  // drawn on the window's background
    };
    // Where a window was and samples of its picture.
    struct Marks {
        QRect rect;
        QSize size;  // of its picture
        QList<Sample> samples;
        bool plain;                 // of one colour
        QDeadlineTimer plainUntil;  // expired: a plain screen there says nothing
    };
    static Marks marksOf(const QRect& rect, const QImage& look);
    static bool shown(const Marks& window);

    QList<Marks> m_looks;
};

}  // namespace klipo::platform
