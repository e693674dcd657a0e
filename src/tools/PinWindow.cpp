#include "tools/PinWindow.h"

#include "app/FeaturePending.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenMetrics.h"
#include "platform/WindowStacking.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace klipo {

PinMenuProvider& PinMenuProvider::shared()
{
    static PinMenuProvider provider;
    return provider;
}

QAction* PinMenuProvider::makeMenuItem(QObject* parent)
{
    auto* menu = new QMenu(QStringLiteral("贴图"));
    QObject::connect(parent, &QObject::destroyed, menu, &QObject::deleteLater);
    QObject::connect(menu->addAction(QStringLiteral("钉住剪贴板图片")), &QAction::triggered, menu,
                     [] { PinMenuProvider::pinFromClipboard(); });
    return menu->menuAction();
}

void PinMenuProvider::pinFromClipboard() { showFeaturePending(QStringLiteral("贴图")); }

// --- the window ---

PinImageView::PinImageView(const QImage& image)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_image(image)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("KlipoVersa"));
    setToolTip(QStringLiteral("拖动移动、滚轮缩放、双击关闭"));
    resize(sizeAt(m_zoom));
}

QSize PinImageView::sizeAt(double zoom) const
{
    const double dpr = m_image.devicePixelRatio() > 0 ? m_image.devicePixelRatio() : 1.0;
    const int w = int(std::lround(m_image.width() / dpr * zoom));
    const int h = int(std::lround(m_image.height() / dpr * zoom));
    return {std::max(1, w), std::max(1, h)};
}

void PinImageView::setZoom(double zoom, QPointF anchor)
{
    zoom = std::clamp(zoom, minZoom, maxZoom);
    if (zoom == m_zoom) return;
    const double factor = zoom / m_zoom;
    m_zoom = zoom;
    const QSize size = sizeAt(zoom);
    const QPoint origin = pos() + (anchor - anchor * factor).toPoint();
    setGeometry(QRect(origin, size));
    update();
}

void PinImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_image);
}

void PinImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) m_dragOffset = event->globalPosition().toPoint() - pos();
}

void PinImageView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - m_dragOffset);
}

void PinImageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) requestClose();
}

void PinImageView::requestClose()
{
    // A copy: the callback may delete the controller that set it.
    if (const auto callback = onCloseRequested) callback();
}

void PinImageView::wheelEvent(QWheelEvent* event)
{
    // One notch is 120; smooth-scrolling devices send smaller steps.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    if (notches == 0) return;
    m_wheelRemainder -= notches * 120;
    setZoom(m_zoom * std::pow(zoomStep, notches), event->position());
}

void PinImageView::closeEvent(QCloseEvent* event)
{
    // The window manager's close goes through the controller as well.
    event->ignore();
    requestClose();
}

// --- the controller ---

namespace {
QList<PinWindowController*>& pinnedList()
{
    static QList<PinWindowController*> list;
    return list;
}

// Centred on the pointer, kept on the pointer's screen where it fits.
QPoint placeNearPointer(const QSize& size)
{
    const platform::ScreenMetrics* metrics = platform::services().screens;
    if (!metrics) return {};
    const QPoint pointer = metrics->pointerPosition();
    QPoint topLeft = pointer - QPoint(size.width() / 2, size.height() / 2);
    if (const auto screen = metrics->screenUnderPointer()) {
        const QRect area = screen->availableGeometry;
        topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - size.width())));
        topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - size.height())));
    }
    return topLeft;
}
}  // namespace

PinWindowController* PinWindowController::pin(const QImage& image)
{
    if (image.width() < 1 || image.height() < 1) return nullptr;
    auto* controller = new PinWindowController(image);
    pinnedList().append(controller);
    controller->m_view->move(placeNearPointer(controller->m_view->size()));
    controller->m_view->show();
    // Above every window, also over a full-screen program that has the focus.
    platform::raiseWithoutFocus(controller->m_view);
    return controller;
}

PinWindowController::PinWindowController(const QImage& image) : m_view(new PinImageView(image))
{
    m_view->onCloseRequested = [this] { close(); };
}

PinWindowController::~PinWindowController()
{
    pinnedList().removeAll(this);
    if (m_view) {
        m_view->onCloseRequested = nullptr;
        m_view->hide();
        m_view->deleteLater();
    }
}

void PinWindowController::close() { delete this; }

void PinWindowController::closeAll()
{
    const QList<PinWindowController*> all = pinnedList();
    for (PinWindowController* controller : all) controller->close();
}

const QList<PinWindowController*>& PinWindowController::pinned() { return pinnedList(); }

}  // namespace klipo
