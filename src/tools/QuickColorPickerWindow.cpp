#include "tools/QuickColorPickerWindow.h"

#include "tools/QuickColorMagnifierView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace klipo {

QuickColorPickerWindow::QuickColorPickerWindow(const QRect& geometry, QImage frozenPx)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::BypassWindowManagerHint),
      m_frozen(std::move(frozenPx)),
      m_magnifier(new QuickColorMagnifierView(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_QuitOnClose, false);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("KlipoVersa"));
    m_magnifier->hide();
    winId();  // the native window now, so that it can be put on its screen
    if (QWindow* window = windowHandle())
        if (QScreen* screen = QGuiApplication::screenAt(geometry.center())) window->setScreen(screen);
    setGeometry(geometry);
}

void QuickColorPickerWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QRectF(rect()), m_frozen);
}

void QuickColorPickerWindow::mousePressEvent(QMouseEvent* event)
{
    if (onMousePress) onMousePress(event->button());
}

void QuickColorPickerWindow::keyPressEvent(QKeyEvent* event)
{
    // Every key is the picker's: none reaches another window.
    if (onKeyPress) onKeyPress(event);
}

}  // namespace klipo
