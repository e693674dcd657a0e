#include "app/CaptureHUDContentView.h"

#include "app/CaptureHUDLayout.h"
#include "app/CaptureHUDText.h"
#include "app/HUDColors.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

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

QFont titleFont() { return fontOfPixels(13, QFont::DemiBold); }
QFont subtitleFont() { return fontOfPixels(11, QFont::Normal); }

// The height of one title line: the layout's 18, or more for a taller face.
double titleLineHeight() { return std::max(18.0, std::ceil(QFontMetricsF(titleFont()).lineSpacing())); }

// The height of one subtitle line: the layout's 16, or more for a taller face.
double subtitleLineHeight() { return std::max(16.0, std::ceil(QFontMetricsF(subtitleFont()).lineSpacing())); }

// What a title of that many lines adds to the card's height.
double extraTitleHeight(qsizetype lines) { return lines > 1 ? double(lines) * titleLineHeight() - 18 : 0; }

// The text as drawn in `width`: one line, shortened, unless it wraps.
QStringList linesOf(const QString& text, const QFont& font, double width, Qt::TextElideMode elide, bool wraps)
{
    if (!wraps || text.isEmpty()) return {QFontMetricsF(font).elidedText(text, elide, width)};
    return CaptureHUDText::wrapped(text, font, width);
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

void CaptureHUDContentView::setSubtitleWraps(bool wraps)
{
    m_wrapsText = wraps;
    update();
}

QStringList CaptureHUDContentView::titleLines(double width) const
{
    const double textWidth = CaptureHUDLayout::compute(QSizeF(width, 80), hasThumbnail()).title.width();
    return linesOf(m_title, titleFont(), textWidth, Qt::ElideRight, m_wrapsText);
}

QStringList CaptureHUDContentView::subtitleLines(double width) const
{
    const double textWidth = CaptureHUDLayout::compute(QSizeF(width, 80), hasThumbnail()).subtitle.width();
    return CaptureHUDText::lines(m_subtitle, subtitleFont(), textWidth, m_wrapsText);
}

double CaptureHUDContentView::heightFor(double width) const
{
    const qsizetype lines = subtitleLines(width).size();
    // A subtitle with a path may need several lines without being told in full.
    const double extraSubtitle = m_wrapsText || lines > 1 ? double(lines) * subtitleLineHeight() - 16 : 0;
    return 80 + extraTitleHeight(titleLines(width).size()) + extraSubtitle;
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
    const QStringList titles = titleLines(width());
    const double extraTitle = extraTitleHeight(titles.size());
    const CaptureHUDLayout layout = CaptureHUDLayout::compute(size(), hasThumbnail(), h - 80 - extraTitle, extraTitle);
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

    const QRectF title = CaptureHUDLayout::flipped(layout.title, h);
    const double titleHeight = titles.size() > 1 ? titleLineHeight() : title.height();
    for (qsizetype i = 0; i < titles.size(); ++i)
        drawLine(painter, titles[i], QRectF(title.x(), title.y() + double(i) * titleHeight, title.width(), titleHeight),
                 titleFont(), QColor(255, 255, 255, 230), Qt::ElideRight);
    const QRectF subtitle = CaptureHUDLayout::flipped(layout.subtitle, h);
    const QStringList lines = subtitleLines(width());
    const double lineHeight = lines.size() > 1 ? subtitleLineHeight() : subtitle.height();
    for (qsizetype i = 0; i < lines.size(); ++i)
        drawLine(painter, lines[i],
                 QRectF(subtitle.x(), subtitle.y() + double(i) * lineHeight, subtitle.width(), lineHeight),
                 subtitleFont(), QColor(255, 255, 255, 140), Qt::ElideMiddle);
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
