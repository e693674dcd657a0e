#include "library/backup/SyncButton.h"

#include "library/widgets/LibraryStyle.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QPainterPath>

namespace klipo {

namespace {
constexpr QSize kSize(150, 100);
constexpr int kSymbolSide = 48;
constexpr int kSpacing = 10;
}  // namespace

SyncButton::SyncButton(libraryicons::Symbol symbol, const QString& title, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol)
{
    setText(title);
    setFixedSize(kSize);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void SyncButton::setFolderAvailable(bool available)
{
    if (m_available == available) return;
    m_available = available;
    update();
}

QSize SyncButton::sizeHint() const { return kSize; }

void SyncButton::focusInEvent(QFocusEvent* event)
{
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void SyncButton::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SyncButton::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void SyncButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);

    // A faint plate under the pointer and while pressed; nothing otherwise.
    if (isEnabled() && (isDown() || m_hovered)) {
        QPainterPath plate;
        plate.addRoundedRect(area, 10, 10);
        painter.fillPath(plate, librarystyle::wash(pal, isDown() ? 0.14 : 0.06));
    }
    if (hasFocus() && m_keyboardFocus) {
        painter.setPen(QPen(pal.color(QPalette::Highlight), 1.5));
        painter.drawRoundedRect(area, 10, 10);
    }

    const QFont font = librarystyle::callout(this->font());
    const QFontMetrics metrics(font);
    const int contentHeight = kSymbolSide + kSpacing + metrics.height();
    const int top = (height() - contentHeight) / 2;

    QColor ink = m_available ? pal.color(QPalette::Active, QPalette::Highlight) : librarystyle::secondary(pal);
    if (!isEnabled()) ink.setAlphaF(ink.alphaF() * 0.6);
    const QPixmap symbol = libraryicons::pixmap(m_symbol, kSymbolSide, ink, devicePixelRatioF());
    painter.drawPixmap((width() - kSymbolSide) / 2, top, symbol);

    painter.setFont(font);
    painter.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QRect titleRect(0, top + kSymbolSide + kSpacing, width(), metrics.height());
    painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter,
                     metrics.elidedText(text(), Qt::ElideRight, width()));
}

}  // namespace klipo
