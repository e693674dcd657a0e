#include "app/HUDButton.h"

#include "app/HUDColors.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionButton>
#include <QVariantAnimation>

namespace klipo {

namespace {
constexpr int kFadeMs = 120;

// The colour moved `amount` of the way towards black, alpha kept.
QColor blendedTowardsBlack(const QColor& c, double amount)
{
    const double keep = 1.0 - amount;
    return QColor::fromRgbF(float(c.redF() * keep), float(c.greenF() * keep), float(c.blueF() * keep), c.alphaF());
}

QIcon tinted(const QIcon& icon, const QSize& size, qreal dpr, const QColor& tint)
{
    QPixmap pixmap = icon.pixmap(size, dpr);
    if (pixmap.isNull()) return icon;
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(0, 0), pixmap.size()), tint);
    painter.end();
    return QIcon(pixmap);
}
}  // namespace

HUDButton::HUDButton(QWidget* parent) : HUDButton(QString(), parent) {}

HUDButton::HUDButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setFlat(true);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    m_fade = new QVariantAnimation(this);
    m_fade->setDuration(kFadeMs);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_fill = value.value<QColor>();
        update();
    });
}

void HUDButton::setBaseBackground(std::optional<QColor> color)
{
    m_baseBackground = color;
    refreshBackground(false);
}

void HUDButton::setShowsHoverEffect(bool shows)
{
    m_showsHoverEffect = shows;
    refreshBackground(false);
}

void HUDButton::setCornerRadius(qreal radius)
{
    m_cornerRadius = radius;
    update();
}

void HUDButton::setContentTint(std::optional<QColor> tint)
{
    m_contentTint = tint;
    update();
}

QColor HUDButton::targetFill() const
{
    if (m_baseBackground) return m_pressed ? blendedTowardsBlack(*m_baseBackground, 0.22) : *m_baseBackground;
    if (isEnabled() && m_showsHoverEffect) {
        if (m_pressed) return HUDColors::withAlpha(HUDColors::label(palette()), 0.16);
        if (m_hovered) return HUDColors::quaternaryLabel(palette());
    }
    return QColor(Qt::transparent);
}

void HUDButton::refreshBackground(bool animated)
{
    const QColor target = targetFill();
    m_fade->stop();
    if (animated && m_fill != target) {
        m_fade->setStartValue(m_fill);
        m_fade->setEndValue(target);
        m_fade->start();
        return;
    }
    m_fill = target;
    update();
}

void HUDButton::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    m_hovered = true;
    refreshBackground(true);
}

void HUDButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    m_hovered = false;
    m_pressed = false;
    refreshBackground(true);
}

void HUDButton::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    m_pressed = true;
    refreshBackground(false);
    QPushButton::mousePressEvent(event);
}

void HUDButton::mouseReleaseEvent(QMouseEvent* event)
{
    QPointer<HUDButton> self(this);
    QPushButton::mouseReleaseEvent(event);  // may run the click's action
    if (!self) return;
    m_pressed = false;
    refreshBackground(true);
}

void HUDButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) m_pressed = false;
        refreshBackground(false);
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
        refreshBackground(false);
        break;
    default:
        break;
    }
}

void HUDButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_fill.alpha() > 0) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_fill);
        painter.drawRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
    }

    QStyleOptionButton option;
    initStyleOption(&option);
    option.features |= QStyleOptionButton::Flat;
    option.state &= ~(QStyle::State_Sunken | QStyle::State_MouseOver | QStyle::State_HasFocus | QStyle::State_On);
    // HUD surfaces are dark in both appearances: light text unless told otherwise.
    option.palette.setColor(QPalette::ButtonText, m_contentTint.value_or(QColor(255, 255, 255, 235)));
    if (m_contentTint && !option.icon.isNull())
        option.icon = tinted(option.icon, option.iconSize, devicePixelRatioF(), *m_contentTint);
    style()->drawControl(QStyle::CE_PushButtonLabel, &option, &painter, this);
}

}  // namespace klipo
