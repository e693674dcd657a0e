#pragma once

#include "platform/LooksOnScreen.h"
#include "platform/WindowStacking.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace klipo::platform {

struct DesktopWindow;

// Our windows taken off the screen for a screen grab (X11 cannot leave a
// program's own windows out of it) and put back afterwards. Windows that go
// away by themselves (a toast) should be dismissed by their owners instead:
// they would come back here. Main thread only.
class HiddenOwnWindows {
public:
    // Hides every visible window of ours (menus, tool tips, the tray icon and
    // windows that never show on the screen aside). With keepMarked, windows
    // marked to stay in screenshots (pinned images) stay too.
    static HiddenOwnWindows hideAll(bool keepMarked = false);
    // The same for the windows `which` picks.
    static HiddenOwnWindows hideWhere(const std::function<bool(QWidget*)>& which, bool keepMarked = false);

    // Marks a window that the user puts on the screen to be captured with it.
    static void markStaysInScreenshots(QWidget* window);
    // restore() leaves the focus where it is: a window that takes it anyway
    // (and gives it back later) comes up right after.
    void keepFocusAway() { m_active = nullptr; }

    bool isEmpty() const { return m_windows.isEmpty(); }

    // Shows them again where they were and as deep in the stack as they were
    // (a window shown again would otherwise come in front of the programs
    // that covered it), without taking the focus unless one of them had it;
    // windows deleted meanwhile are skipped. Once only.
    void restore();

private:
    struct Entry {
        QPointer<QWidget> window;
        QPoint position;
        quint32 nativeId = 0;
    };
    void restoreStacking() const;

    QList<Entry> m_windows;
    QList<StackedWindow> m_stack;           // the managed windows bottom to top, before the hiding
    QPointer<QWidget> m_active;             // the one that had the focus, if any
    std::optional<quint32> m_activeBefore;  // the window that had it, ours or not
};

// Where our windows show on the screen and what it shows there, taken just
// before they are hidden, to tell when the screen shows what lies below: a
// compositing window manager fades and shrinks a window that goes away over
// a few frames (mutter, KWin), beginning only after a while on a busy
// machine. Main thread only.
class ShownOwnWindows {
public:
    static ShownOwnWindows now();
    // The longest wait for a compositor's fading.
    static constexpr int longestFadeMs = 500;
    // Runs `then` once the screen where those that are no longer shown
    // showed no longer shows them (the compositor may begin their fading
    // only after a while) and stands still, not before `notBefore` (time for
    // the programs below to repaint), or at the deadline.
    void whenGone(QDeadlineTimer notBefore, QDeadlineTimer deadline, std::function<void()> then) const;

private:
    QList<quint32> m_windows;  // native ids, a window once for each of its parts
    QList<QRect> m_parts;      // in desktop points, frames included
    QList<QImage> m_pictures;
};

// Our windows kept out of a region of the screen while it is captured for a
// while (a long screenshot, a recording): those over it are hidden at every
// check(), which runs every 100 ms (also ones that come over it later), and
// all come back when this ends. Windows that other programs' windows cover
// there stay; so do the capture's own windows (its frame, its bars, the
// toast, which keeps out by itself) and pinned images. The screen shows the
// region as it is only once the programs there have repainted what our
// windows (and the capture's overlay before) uncovered: stillShown().
class OwnWindowsKeptOut : public QObject {
public:
    // `region`: global, in the coordinates of the windows' geometry.
    OwnWindowsKeptOut(const QRect& region, QList<QPointer<QWidget>> staying, QObject* parent = nullptr);
    ~OwnWindowsKeptOut() override;

    // Hides those over the region now; true when one had to go.
    bool check();
    void alsoStaying(QWidget* window) { m_staying.append(window); }
    // One of ours over the region that its owner is about to take away (a
    // bar that closes, the toast that moves elsewhere): its picture too must
    // be gone from the screen before the region shows what lies below.
    void leaving(QWidget* window);

    // The longest wait for the programs in the region to repaint: a busy
    // machine may keep them from it for a while.
    static constexpr int longestWaitMs = 1000;
    // True while the screen in the region still shows windows of ours that
    // went from it, or that lay behind other programs' windows there when
    // this began (those programs have not repainted yet), at most
    // longestWaitMs after the last one was noted.
    bool stillShown();
    // Runs `then` once none of them shows there (at once when none does),
    // at the latest longestWaitMs from now.
    void whenGone(std::function<void()> then);

private:
    bool isStaying(QWidget* window) const;
    bool overRegion(QWidget* window, const QList<DesktopWindow>& frontToBack) const;
    void noteLook(QWidget* window);
    void waitUntilGone(QDeadlineTimer deadline, std::function<void()> then);

    QRect m_region;
    QList<QPointer<QWidget>> m_staying;
    QList<HiddenOwnWindows> m_hidden;
    QTimer m_timer;
    bool m_firstCheck = true;
    std::shared_ptr<LooksOnScreen> m_looks;  // of those that went, until the screen shows none
    QDeadlineTimer m_looksDeadline;
};

}  // namespace klipo::platform
