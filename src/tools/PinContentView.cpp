#include "tools/PinContentView.h"

#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace klipo {

namespace {
QFont badgeFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(11);
    font.setWeight(QFont::DemiBold);
    return font;
}
}  // namespace

// --- badge ---

PinScaleBadge::PinScaleBadge(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(badgeFont(font()));
}

void PinScaleBadge::setText(const QString& text)
{
    if (text == m_text) return;
    m_text = text;
    update();
}

int PinScaleBadge::preferredWidth() const
{
    return int(std::ceil(QFontMetricsF(font()).horizontalAdvance(m_text) + 18));
}

void PinScaleBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, int(std::lround(0.62 * 255))));
    const QRectF box = rect();
    painter.drawRoundedRect(box, box.height() / 2, box.height() / 2);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, m_text);
}

// --- content view ---

PinContentView::PinContentView(const QImage& image, QWidget* parent)
    : QWidget(parent), m_pixmap(QPixmap::fromImage(image)), m_badge(new PinScaleBadge(this)),
      m_badgeOpacity(new QGraphicsOpacityEffect(m_badge)), m_badgeFade(new QPropertyAnimation(m_badgeOpacity, "opacity", this))
{
    m_pixmap.setDevicePixelRatio(1.0);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::OpenHandCursor);
    setMouseTracking(false);
    m_badge->setGraphicsEffect(m_badgeOpacity);
    m_badge->hide();
    m_badgeFade->setDuration(badgeFadeMs);
    m_badgeFade->setEndValue(0.0);
    connect(m_badgeFade, &QPropertyAnimation::finished, m_badge, &QWidget::hide);
    m_badgeHide.setSingleShot(true);
    connect(&m_badgeHide, &QTimer::timeout, this, [this] {
        m_badgeFade->setStartValue(m_badgeOpacity->opacity());
        m_badgeFade->start();
    });
}

template <typename Callback, typename... Args>
void PinContentView::call(const Callback& callback, Args&&... args)
{
    // A copy: the callback may close the pin and with it this view.
    if (const Callback copy = callback) copy(std::forward<Args>(args)...);
}

void PinContentView::flashBadge(const QString& text)
{
    m_badge->setText(text);
    m_badgeHide.stop();
    m_badgeFade->stop();
    m_badgeOpacity->setOpacity(1.0);
    layoutBadge();
    m_badge->show();
    m_badge->raise();
    m_badgeHide.start(badgeShowMs);
}

void PinContentView::layoutBadge()
{
    const int preferred = m_badge->preferredWidth();
    const int x = std::max(2, int(std::lround((width() - preferred) / 2.0)));
    const int w = std::min(preferred, std::max(10, width() - 4));
    const int h = PinScaleBadge::badgeHeight;
    m_badge->setGeometry(x, height() - 10 - h, w, h);
}

double PinContentView::wheelFactor(double delta)
{
    if (std::abs(delta) <= 0.01) return 1.0;
    return std::clamp(1.0 + delta * 0.004, 1.0 / 1.35, 1.35);
}

bool PinContentView::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            call(onRequestZoom, 1.0 + gesture->value());
            return true;
        }
    }
    return QWidget::event(event);
}

void PinContentView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(shape);
    painter.drawPixmap(rect(), m_pixmap);
    painter.setClipping(false);
    painter.setPen(QPen(QColor(255, 255, 255, int(std::lround(0.35 * 255))), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

void PinContentView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_badge->isVisible()) layoutBadge();
}

void PinContentView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton ||
        (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ControlModifier))) {
        call(onRequestMenu, event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    window()->activateWindow();
    setFocus();
    m_dragWindowOrigin = window()->pos();
    m_dragMouseOrigin = event->globalPosition().toPoint();
    m_dragging = true;
    setCursor(Qt::ClosedHandCursor);
}

void PinContentView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) return;
    window()->move(m_dragWindowOrigin + event->globalPosition().toPoint() - m_dragMouseOrigin);
}

void PinContentView::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
}

void PinContentView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) call(onRequestClose);
}

void PinContentView::wheelEvent(QWheelEvent* event)
{
    const double delta = !event->pixelDelta().isNull() ? event->pixelDelta().y() : event->angleDelta().y() / 120.0 * 6;
    const double factor = wheelFactor(delta);
    if (factor != 1.0) call(onRequestZoom, factor);
    event->accept();
}

void PinContentView::keyPressEvent(QKeyEvent* event)
{
    if (onKeyDown) {
        const auto handler = onKeyDown;
        if (handler(event->key(), event->modifiers())) return;
    }
    QWidget::keyPressEvent(event);
}

void PinContentView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    call(onHover);
}

}  // namespace klipo
