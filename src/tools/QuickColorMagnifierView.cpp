#include "tools/QuickColorMagnifierView.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace klipo {

namespace {

constexpr double zoomSide = QuickColorMagnifierView::viewWidth;

QPainterPath rounded(const QRectF& rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QColor white(double alpha)
{
    QColor colour(Qt::white);
    colour.setAlphaF(float(alpha));
    return colour;
}

QColor black(double alpha)
{
    QColor colour(Qt::black);
    colour.setAlphaF(float(alpha));
    return colour;
}

}  // namespace

QuickColorMagnifierView::QuickColorMagnifierView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(viewWidth, viewHeight);
}

bool QuickColorMagnifierView::setContent(const QImage& source, const QPoint& centerPixel, const QColor& color,
                                         const QString& text, const QString& formatName)
{
    const bool changed = source.cacheKey() != m_source.cacheKey() || centerPixel != m_center ||
                         text != m_text || formatName != m_formatName;
    m_source = source;
    m_center = centerPixel;
    m_color = color;
    m_text = text;
    m_formatName = formatName;
    return changed;
}

QRect QuickColorMagnifierView::cropFor(const QSize& image, const QPoint& centerPixel)
{
    const int half = zoomPixels / 2;
    const int x = image.width() > zoomPixels ? std::clamp(centerPixel.x() - half, 0, image.width() - zoomPixels) : 0;
    const int y =
        image.height() > zoomPixels ? std::clamp(centerPixel.y() - half, 0, image.height() - zoomPixels) : 0;
    return {x, y, zoomPixels, zoomPixels};
}

void QuickColorMagnifierView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    drawZoom(painter);
    drawColorRow(painter);
    drawHint(painter);
}

void QuickColorMagnifierView::drawZoom(QPainter& painter)
{
    const QRectF square(0, 0, zoomSide, zoomSide);
    painter.fillPath(rounded(square, 10), black(0.9));
    const QRectF inner = square.adjusted(2, 2, -2, -2);
    const QRect crop = cropFor(m_source.size(), m_center);
    if (!m_source.isNull() && QRect(QPoint(0, 0), m_source.size()).contains(crop)) {
        painter.save();
        painter.setClipPath(rounded(inner, 8));
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(inner, m_source, QRectF(crop));
        painter.restore();
    }
    const double cell = inner.width() / zoomPixels;
    painter.setPen(QPen(white(0.16), 0.5));
    for (int i = 1; i < zoomPixels; ++i) {
        const double offset = 2 + i * cell;
        painter.drawLine(QPointF(offset, inner.top()), QPointF(offset, inner.bottom()));
        painter.drawLine(QPointF(inner.left(), offset), QPointF(inner.right(), offset));
    }
    const int column = m_center.x() - crop.x();
    const int row = m_center.y() - crop.y();
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(2 + column * cell, 2 + row * cell, cell, cell).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(white(0.7), 1));
    painter.drawPath(rounded(square.adjusted(1, 1, -1, -1), 9));
}

void QuickColorMagnifierView::drawColorRow(QPainter& painter)
{
    const QRectF row = QRectF(0, zoomSide, width(), 30).adjusted(0, 1, 0, -1);
    painter.fillPath(rounded(row, 6), black(0.85));
    const QRectF swatch(row.left() + 8, row.center().y() - 8, 16, 16);
    painter.setPen(QPen(white(0.6), 1));
    painter.setBrush(m_color);
    painter.drawPath(rounded(swatch, 3));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(swatch.right() + 8, row.top(), row.right() - swatch.right() - 8, row.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

void QuickColorMagnifierView::drawHint(QPainter& painter)
{
    const QRectF band(0, height() - 18, width(), 18);
    QFont font;
    font.setPixelSize(10);
    painter.setFont(font);
    const QString text = QStringLiteral("点按/C 复制 · 空格切 ") + m_formatName + QStringLiteral(" · Esc 取消");
    const QRectF textRect = painter.fontMetrics().boundingRect(band.toRect(), Qt::AlignCenter, text);
    painter.fillPath(rounded(textRect.adjusted(-6, -2, 6, 2), 5), black(0.7));
    painter.setPen(white(0.75));
    painter.drawText(band, Qt::AlignCenter, text);
}

}  // namespace klipo
