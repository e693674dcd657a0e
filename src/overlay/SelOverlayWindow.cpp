#include "overlay/SelOverlayWindow.h"

#include "overlay/SelOverlayView.h"

#include <QScreen>
#include <QWindow>

namespace klipo {

SelOverlayWindow::SelOverlayWindow(const platform::FrozenScreen& frozen, SelOverlayController& controller)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::BypassWindowManagerHint | Qt::NoDropShadowWindowHint),
      m_frozen(frozen.imagePx),
      m_space(SelScreenSpace::forScreen(frozen.screen, frozen.imagePx.size())),
      m_screen(frozen.screen)
{
    m_frozen.setDevicePixelRatio(m_space.scaleX());
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("KlipoVersa"));
    winId();  // the native window now, so it can be put on its screen
    if (QWindow* window = windowHandle(); window && frozen.screen) window->setScreen(frozen.screen);
    setGeometry(m_space.geometryPt());
    m_view = new SelOverlayView(this, controller);
    m_view->setGeometry(rect());
}

void SelOverlayWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
}

}  // namespace klipo
