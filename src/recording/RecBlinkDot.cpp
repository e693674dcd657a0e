#include "recording/RecBlinkDot.h"

#include <QPainter>
#include <QVariantAnimation>

namespace klipo {

namespace {
const QColor kSystemRed(255, 59, 48);
constexpr int kHalfPeriodMs = 600;
}  // namespace

RecBlinkDot::RecBlinkDot(QWidget* parent) : QWidget(parent)
{
    setFixedSize(10, 10);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // One loop runs the phase from 0 to 2: down to a quarter and back up,
    // each half eased so the dot lingers at both ends.
    m_blink = new QVariantAnimation(this);
    m_blink->setDuration(2 * kHalfPeriodMs);
    m_blink->setStartValue(0.0);
    m_blink->setEndValue(2.0);
    m_blink->setLoopCount(-1);
    connect(m_blink, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const qreal phase = value.toReal();
        const qreal half = phase <= 1 ? phase : 2 - phase;
        m_opacity = 1.0 - 0.75 * QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(half);
        update();
    });
}

void RecBlinkDot::startBlinking()
{
    if (m_blink->state() != QAbstractAnimation::Running) m_blink->start();
}

void RecBlinkDot::stopBlinking()
{
    m_blink->stop();
    m_opacity = 1.0;
    update();
}

bool RecBlinkDot::isBlinking() const { return m_blink->state() == QAbstractAnimation::Running; }

void RecBlinkDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSystemRed);
    painter.drawEllipse(QRectF(rect()));
}

}  // namespace klipo
