#include "app/shell/StatusItem.h"

#include "platform/TrayIcon.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace klipo {

namespace {
constexpr int kIconSize = 64;

QPixmap blankPixmap()
{
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A speech bubble holding a character: the program's idle mark.
void drawBubble(QPainter& p, const QColor& color)
{
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(6, 8, 52, 38), 12, 12);
    QPainterPath tail;
    tail.moveTo(18, 44);
    tail.lineTo(14, 58);
    tail.lineTo(30, 45);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(bubble.united(tail));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    // A stylised "文".
    p.drawLine(QPointF(32, 14), QPointF(32, 19));
    p.drawLine(QPointF(20, 20), QPointF(44, 20));
    p.drawLine(QPointF(24, 24), QPointF(40, 40));
    p.drawLine(QPointF(40, 24), QPointF(24, 40));
}
}  // namespace

StatusItem::StatusItem(platform::TrayIcon* tray) : m_tray(tray) {}

QIcon StatusItem::idleIcon()
{
    QPixmap pixmap = blankPixmap();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawBubble(p, QColor(0x3a, 0x7b, 0xd5));
    return QIcon(pixmap);
}

QIcon StatusItem::recordingIcon()
{
    QPixmap pixmap = blankPixmap();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xff, 0x3b, 0x30), 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(6, 6, 52, 52));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0x3b, 0x30));
    p.drawEllipse(QRectF(17, 17, 30, 30));
    return QIcon(pixmap);
}

QIcon StatusItem::countdownIcon(int seconds)
{
    QPixmap pixmap = blankPixmap();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawBubble(p, QColor(0x3a, 0x7b, 0xd5, 90));
    QFont font;
    font.setBold(true);
    font.setPixelSize(seconds >= 10 ? 34 : 44);
    p.setFont(font);
    p.setPen(QColor(0xff, 0x95, 0x00));
    p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QString::number(seconds));
    return QIcon(pixmap);
}

void StatusItem::apply(const QIcon& icon, const QString& toolTip)
{
    m_toolTip = toolTip;
    if (!m_tray) return;
    m_tray->setIcon(icon);
    m_tray->setToolTip(toolTip);
}

void StatusItem::showIdle()
{
    m_look = Look::idle;
    m_countdown.reset();
    apply(idleIcon(), QStringLiteral("KlipoVersa"));
}

void StatusItem::showRecording()
{
    m_look = Look::recording;
    m_countdown.reset();
    apply(recordingIcon(), QStringLiteral("正在录屏"));
}

void StatusItem::showCountdown(std::optional<int> seconds)
{
    if (!seconds) {
        showIdle();
        return;
    }
    m_look = Look::countdown;
    m_countdown = seconds;
    apply(countdownIcon(*seconds), QStringLiteral("KlipoVersa ") + QString::number(*seconds));
}

}  // namespace klipo
