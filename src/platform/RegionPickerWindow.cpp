#include "platform/RegionPickerWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace klipo::platform {

RegionPickerWindow::RegionPickerWindow(QScreen* screen, QImage frozenPx)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::BypassWindowManagerHint),
      m_frozen(std::move(frozenPx))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setWindowTitle(QStringLiteral("KlipoVersa"));
    winId();  // make the native window now so it can be placed on its screen
    if (QWindow* window = windowHandle()) window->setScreen(screen);
    setGeometry(screen->geometry());
}

QRectF RegionPickerWindow::selection() const
{
    if (!m_dragging) return {};
    return QRectF(m_anchor, m_current).normalized();
}

QPointF RegionPickerWindow::clamped(const QPointF& point) const
{
    return {std::clamp(point.x(), 0.0, double(width())), std::clamp(point.y(), 0.0, double(height()))};
}

void RegionPickerWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QRectF(rect()), m_frozen);
    const QRectF chosen = selection();
    QRegion dimmed(rect());
    if (!chosen.isEmpty()) dimmed -= QRegion(chosen.toAlignedRect());
    painter.setClipRegion(dimmed);
    painter.fillRect(rect(), QColor(0, 0, 0, 100));
    painter.setClipping(false);
    if (!chosen.isEmpty()) {
        painter.setPen(QPen(QColor(0x2f, 0x8c, 0xff), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(chosen.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void RegionPickerWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        Q_EMIT cancelled();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    m_dragging = true;
    m_anchor = m_current = clamped(event->position());
    update();
}

void RegionPickerWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) return;
    m_current = clamped(event->position());
    update();
}

void RegionPickerWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragging) return;
    m_current = clamped(event->position());
    const QRectF chosen = selection();
    m_dragging = false;
    update();
    const bool click = chosen.width() < clickTolerance && chosen.height() < clickTolerance;
    Q_EMIT picked(click ? QRectF() : chosen);
}

void RegionPickerWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT cancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace klipo::platform
