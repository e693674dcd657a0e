#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <functional>

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
    QList<quint32> m_stack;      // the managed windows bottom to top, before the hiding
    QPointer<QWidget> m_active;  // the one that had the focus, if any
};

// Our windows kept out of a region of the screen while it is captured for a
// while (a long screenshot, a recording): those over it are hidden at every
// check(), which runs every 100 ms (also ones that come over it later), and
// all come back when this ends. Windows that other programs' windows cover
// there stay; so do the capture's own windows (its frame, its bars, the
// toast, which keeps out by itself) and pinned images.
class OwnWindowsKeptOut : public QObject {
public:
    // `region`: global, in the coordinates of the windows' geometry.
    OwnWindowsKeptOut(const QRect& region, QList<QPointer<QWidget>> staying, QObject* parent = nullptr);
    ~OwnWindowsKeptOut() override;

    // Hides those over the region now; true when one had to go.
    bool check();
    void alsoStaying(QWidget* window) { m_staying.append(window); }

private:
    bool overRegion(QWidget* window, const QList<DesktopWindow>& frontToBack) const;

    QRect m_region;
    QList<QPointer<QWidget>> m_staying;
    QList<HiddenOwnWindows> m_hidden;
    QTimer m_timer;
};

}  // namespace klipo::platform
