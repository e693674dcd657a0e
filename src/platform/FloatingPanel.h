#pragma once

#include "platform/FocusReturn.h"
#include "platform/PanelPlacement.h"
#include "platform/WindowFocus.h"

#include <QPointer>
#include <QWidget>

class QScreen;

namespace klipo::platform {

// Whether a floating panel may take the keyboard.
enum class PanelFocus {
    never,      // clicks work, but the program the user works in stays active
    onRequest,  // takes the keyboard when shown with showAndFocus()
};

// A small frameless window above all other windows and on every desktop,
// listed in no task bar, whose whole content is one view, with a shadow
// (giveShadow). It is sized to the view's size hint; its size and place are
// those of the view (innerGeometry). Main thread only.
class FloatingPanel : public QWidget {
public:
    explicit FloatingPanel(PanelFocus focus);

    void setVisible(bool visible) override;

    // The panel's content (owned by the panel); call once, then fit().
    void setContentView(QWidget* content);
    QWidget* contentView() const { return m_content; }

    // Resizes the panel to its content's size hint, keeping its bottom-left
    // corner where it is (a longer text makes the bar grow to the right).
    void fit();

    // Dragging the panel's background (not its controls) moves it.
    void setMovableByBackground(bool movable) { m_movable = movable; }
    bool isMovableByBackground() const { return m_movable; }

    // The radius of the content's round corners, for the shadow and, without
    // a compositor, the window's shape.
    void setCornerRadius(qreal radius);

    // Moves the panel next to a global rectangle on `screen` (placePanel),
    // inside the screen's available area; noRoom leaves it where it was.
    // Inside the rectangle, the rows covered include those of its shadow.
    PanelPlacement placeNear(const QRectF& rect, const QScreen* screen, bool insideAllowed);

    // Shows the panel in front without taking the focus.
    void orderFront();
    // Shows it in front and gives it the keyboard (PanelFocus::onRequest;
    // a panel that never takes the focus is only ordered front). When it is
    // hidden with the keyboard, `giveBackTo` gets it back, by default the
    // window that has it now.
    void showAndFocus(std::optional<NativeWindowId> giveBackTo = std::nullopt);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PanelFocus m_focus;
    QPointer<QWidget> m_content;
    bool m_movable = false;
    bool m_dragging = false;
    bool m_fitted = false;
    QPoint m_dragOffset;
    FocusReturn m_focusReturn;  // while shown with the keyboard
};

}  // namespace klipo::platform
