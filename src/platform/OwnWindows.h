#pragma once

#include <QList>
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace klipo::platform {

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
    QList<quint32> m_stack;  // the managed windows bottom to top, before the hiding
    QPointer<QWidget> m_active;  // the one that had the focus, if any
};

}  // namespace klipo::platform
