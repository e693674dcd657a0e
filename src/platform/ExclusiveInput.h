#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class QWindow;

namespace klipo::platform {

// Holds the keyboard (and, when asked, the pointer) for a set of full-screen
// windows of ours while they are open, as unmanaged windows get no focus from
// the window manager. Our own hot keys are suspended while it is held. Reports
// when it is lost: once the keyboard focus has been on one of the windows, it
// moving to a window that is not one of them (another program grabbed the
// keyboard or took the focus). Where the display server has no grabs
// (offscreen), taking always succeeds. Main thread only.
class ExclusiveInput final : public QObject {
    Q_OBJECT
public:
    explicit ExclusiveInput(QObject* parent = nullptr);
    ~ExclusiveInput() override;

    // Raises and activates `keyWindow` and grabs the input for it; `ours` are
    // all the windows whose focus counts as ours. An empty string when held;
    // otherwise the Chinese reason, and nothing is held.
    QString take(QWidget* keyWindow, const QList<QWidget*>& ours, bool pointerToo);
    // Gives everything back; no lost() after this.
    void release();
    bool isHeld() const { return m_held; }

Q_SIGNALS:
    void lost();

private:
    void focusChanged(QWindow* focus);

    QPointer<QWidget> m_keyWindow;
    QList<QPointer<QWidget>> m_ours;
    bool m_held = false;
    bool m_pointer = false;
    bool m_hadFocus = false;
    bool m_suspendedHotKeys = false;
};

}  // namespace klipo::platform
