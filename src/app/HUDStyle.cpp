#include "app/HUDStyle.h"

#include "app/HUDColors.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace klipo {

namespace {
constexpr qreal kBackgroundRadius = 10.0;

bool isAppearanceChange(const QEvent* event)
{
    return event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange ||
           event->type() == QEvent::StyleChange;
}
}  // namespace

HUDBackgroundView::HUDBackgroundView(HUDBlending blending, QWidget* parent) : QWidget(parent), m_blending(blending)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QColor HUDBackgroundView::borderColor() const { return HUDColors::withAlpha(HUDColors::separator(palette()), 0.45); }

void HUDBackgroundView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(box, kBackgroundRadius, kBackgroundRadius);
    painter.fillPath(path, HUDColors::material(m_blending == HUDBlending::behindWindow));
    painter.setPen(QPen(borderColor(), 1.0));
    painter.drawPath(path);
}

void HUDBackgroundView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (isAppearanceChange(event)) update();
}

bool HUDBackgroundView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

HUDSeparatorView::HUDSeparatorView(int height, QWidget* parent) : QWidget(parent)
{
    setFixedSize(1, height);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QColor HUDSeparatorView::color() const { return HUDColors::separator(palette()); }

void HUDSeparatorView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), color());
}

void HUDSeparatorView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (isAppearanceChange(event)) update();
}

namespace HUDStyle {

HUDBackgroundView* makeBackground(HUDBlending blending, QWidget* parent)
{
    return new HUDBackgroundView(blending, parent);
}

HUDBackgroundView* installBackground(QWidget* container, HUDBlending blending)
{
    auto* background = new HUDBackgroundView(blending, container);
    background->setGeometry(container->rect());
    background->lower();
    container->installEventFilter(background);
    background->show();
    return background;
}

HUDSeparatorView* makeSeparator(int height, QWidget* parent) { return new HUDSeparatorView(height, parent); }

}  // namespace HUDStyle
}  // namespace klipo
