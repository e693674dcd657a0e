#include "app/CaptureHUDContentView.h"

#include "app/CaptureHUDLayout.h"
#include "app/HUDColors.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace klipo {

namespace {
constexpr qreal kThumbnailRadius = 5;

QFont fontOfPixels(double pixels, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPointSizeF(pixels * 72.0 / 96.0);
    font.setWeight(weight);
    return font;
}

// The image scaled down (never up) to fit the frame, centred in it.
QRectF fittedInto(const QSizeF& imageSize, const QRectF& frame)
{
    QSizeF size = imageSize;
    if (size.width() > frame.width() || size.height() > frame.height())
        size = size.scaled(frame.size(), Qt::KeepAspectRatio);
    return QRectF(frame.center() - QPointF(size.width() / 2, size.height() / 2), size);
}
// One line of text, shortened with an ellipsis when it does not fit.
void drawLine(QPainter& painter, const QString& text, const QRectF& box, const QFont& font, const QColor& color,
              Qt::TextElideMode elide)
{
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetricsF(font).elidedText(text, elide, box.width()));
}

}  // namespace

CaptureHUDContentView::CaptureHUDContentView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

void CaptureHUDContentView::configure(const QString& title, const QString& subtitle, const QImage& thumbnail)
{
    m_title = title;
    m_subtitle = subtitle;
    m_thumbnail = thumbnail;
    setToolTip(subtitle);
    update();
}

void CaptureHUDContentView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(card);
    painter.fillPath(card, HUDColors::material(true));

    const double h = height();
    const CaptureHUDLayout layout = CaptureHUDLayout::compute(size(), hasThumbnail());
    if (layout.thumbnail) {
        const QRectF frame = CaptureHUDLayout::flipped(*layout.thumbnail, h);
        QPainterPath rounded;
        rounded.addRoundedRect(frame, kThumbnailRadius, kThumbnailRadius);
        painter.save();
        painter.setClipPath(rounded, Qt::IntersectClip);
        painter.drawImage(fittedInto(m_thumbnail.deviceIndependentSize(), frame), m_thumbnail);
        painter.restore();
        painter.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(rounded);
    }

    drawLine(painter, m_title, CaptureHUDLayout::flipped(layout.title, h), fontOfPixels(13, QFont::DemiBold),
             QColor(255, 255, 255, 230), Qt::ElideRight);
    drawLine(painter, m_subtitle, CaptureHUDLayout::flipped(layout.subtitle, h), fontOfPixels(11, QFont::Normal),
             QColor(255, 255, 255, 140), Qt::ElideMiddle);
}

void CaptureHUDContentView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const auto click = onClick;  // the callback may replace itself
    if (click) click();
}

void CaptureHUDContentView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    const auto hover = onHoverChanged;
    if (hover) hover(true);
}

void CaptureHUDContentView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    const auto hover = onHoverChanged;
    if (hover) hover(false);
}

}  // namespace klipo
