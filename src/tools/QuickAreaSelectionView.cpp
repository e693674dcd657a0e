#include "tools/QuickAreaSelectionView.h"

#include "tools/QuickArea.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace klipo {

namespace {

void fillRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& colour)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, colour);
}

QFont labelFont(bool digits, int pixelSize)
{
    QFont font = digits ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Medium);
    return font;
}

}  // namespace

QuickAreaSelectionView::QuickAreaSelectionView(const QRect& geometry, QImage frozenPx)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::BypassWindowManagerHint),
      m_frozen(std::move(frozenPx))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_QuitOnClose, false);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("KlipoVersa"));
    winId();  // the native window now, so that it can be put on its screen
    if (QWindow* window = windowHandle())
        if (QScreen* screen = QGuiApplication::screenAt(geometry.center())) window->setScreen(screen);
    setGeometry(geometry);
}

QPointF QuickAreaSelectionView::clamped(const QPointF& point) const
{
    return {std::clamp(point.x(), 0.0, double(width())), std::clamp(point.y(), 0.0, double(height()))};
}

void QuickAreaSelectionView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_frozen.isNull())
        painter.fillRect(rect(), QColor(32, 32, 32));
    else
        painter.drawImage(QRectF(rect()), m_frozen);
    const bool hasHole = m_selection.width() >= 1 && m_selection.height() >= 1;
    QRegion dimmed(rect());
    if (hasHole) dimmed -= QRegion(m_selection.toAlignedRect());
    painter.setClipRegion(dimmed);
    painter.fillRect(rect(), QColor(0, 0, 0, 77));
    painter.setClipping(false);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!hasHole) {
        drawHint(painter);
        return;
    }
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_selection.adjusted(0.5, 0.5, -0.5, -0.5));
    drawSizeLabel(painter);
}

void QuickAreaSelectionView::drawHint(QPainter& painter)
{
    painter.setFont(labelFont(false, 14));
    const QString text = hintText();
    const QSizeF size = painter.fontMetrics().boundingRect(text).size();
    const QRectF textRect(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    fillRounded(painter, textRect.adjusted(-12, -8, 12, 8), 8, QColor(0, 0, 0, 140));
    painter.setPen(Qt::white);
    painter.drawText(textRect, Qt::AlignCenter, text);
}

void QuickAreaSelectionView::drawSizeLabel(QPainter& painter)
{
    painter.setFont(labelFont(true, 12));
    const QString text = QuickArea::sizeLabel(m_selection);
    const QSizeF size = painter.fontMetrics().boundingRect(text).size();
    const QRectF textRect(QuickArea::labelOrigin(m_selection, size, QRectF(rect())), size);
    fillRounded(painter, textRect.adjusted(-6, -4, 6, 4), 5, QColor(0, 0, 0, 166));
    painter.setPen(Qt::white);
    painter.drawText(textRect, Qt::AlignCenter, text);
}

void QuickAreaSelectionView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    m_anchor = clamped(event->position());
    m_selection = QRectF();
    update();
}

void QuickAreaSelectionView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_anchor) return;
    m_selection = QuickArea::spanned(*m_anchor, clamped(event->position()));
    update();
}

void QuickAreaSelectionView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_anchor) return;
    const QRectF chosen = m_selection;
    m_anchor.reset();
    m_selection = QRectF();
    update();
    if (QuickArea::isLargeEnough(chosen))
        Q_EMIT committed(chosen);
    else
        Q_EMIT cancelled();
}

void QuickAreaSelectionView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT cancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace klipo
