#include "platform/FloatingPanel.h"

#include "platform/WindowRoles.h"
#include "platform/WindowShadow.h"
#include "platform/WindowStacking.h"

#include <QLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <utility>

namespace klipo::platform {

namespace {
Qt::WindowFlags flagsFor(PanelFocus focus)
{
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (focus == PanelFocus::never) flags |= Qt::WindowDoesNotAcceptFocus;
    return flags;
}
}  // namespace

FloatingPanel::FloatingPanel(PanelFocus focus) : QWidget(nullptr, flagsFor(focus)), m_focus(focus)
{
    if (focus == PanelFocus::never) setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("KlipoVersa"));
    applyWindowRole(this, WindowRole::floating);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    giveShadow(this, 0);
}

void FloatingPanel::setContentView(QWidget* content)
{
    if (m_content) return;
    m_content = content;
    // The content draws its own (rounded) background: also when it is drawn
    // on its own, off the screen, nothing fills its corners.
    content->setAttribute(Qt::WA_NoSystemBackground);
    layout()->addWidget(content);
}

void FloatingPanel::fit()
{
    const QPoint bottomLeft(x(), y() + height());
    if (m_content) m_content->updateGeometry();
    layout()->invalidate();
    layout()->activate();  // sizes the panel and places the content, shown or not
    if (m_fitted) move(bottomLeft.x(), bottomLeft.y() - height());
    m_fitted = true;
}

void FloatingPanel::setCornerRadius(qreal radius) { giveShadow(this, radius); }

PanelPlacement FloatingPanel::placeNear(const QRectF& rect, const QScreen* screen, bool insideAllowed)
{
    if (!screen) return {};
    // Inside the area that task bars and docks leave free.
    PanelPlacement placement = placePanel(innerGeometry(this).size(), rect, screen->availableGeometry(), insideAllowed);
    if (placement.side == PanelSide::noRoom) return placement;
    moveInner(this, placement.topLeft);
    // Inside the rectangle its shadow covers the rows above it too.
    if (placement.side == PanelSide::inside) placement.coveredBottom += contentsMargins().top();
    return placement;
}

void FloatingPanel::orderFront()
{
    show();
    raiseWithoutFocus(this);
}

void FloatingPanel::showAndFocus(std::optional<NativeWindowId> giveBackTo)
{
    if (m_focus == PanelFocus::never) {
        orderFront();
        return;
    }
    // The window the user was in, to get the keyboard back afterwards.
    m_focusReturn.noteBefore(this, giveBackTo);
    show();
    raise();
    activateOwnWindow(this);
}

void FloatingPanel::setVisible(bool visible)
{
    if (visible) {
        QWidget::setVisible(true);
        return;
    }
    // Left to itself, the window manager may hand the keyboard to another
    // window of ours.
    m_focusReturn.giveBack(this);
    QWidget::setVisible(false);
}

void FloatingPanel::mousePressEvent(QMouseEvent* event)
{
    if (m_movable && event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - pos();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void FloatingPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

}  // namespace klipo::platform
