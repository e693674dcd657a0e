#include "app/HUDBarButton.h"

#include <QPainter>
#include <QPainterPath>

namespace klipo {

namespace {
constexpr int kSymbolGap = 4;

struct Metrics {
    int fontPixels;
    int height;
    int padding;
};

Metrics metricsFor(HUDControlSize size)
{
    return size == HUDControlSize::small ? Metrics{12, 22, 10} : Metrics{13, 26, 14};
}

bool isBarSymbol(QChar c)
{
    static const QString symbols = QStringLiteral("▶⏸✓✕■●");
    return symbols.contains(c);
}

void drawSymbol(QPainter& painter, QChar symbol, const QRectF& box, const QColor& color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = box.width();
    QPen stroke(color, qMax<qreal>(1.5, s / 6), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (symbol.unicode()) {
    case u'▶': {
        QPainterPath path;
        path.moveTo(box.left() + s * 0.15, box.top());
        path.lineTo(box.right(), box.center().y());
        path.lineTo(box.left() + s * 0.15, box.bottom());
        path.closeSubpath();
        painter.fillPath(path, color);
        break;
    }
    case u'⏸':
        painter.fillRect(QRectF(box.left() + s * 0.12, box.top(), s * 0.28, s), color);
        painter.fillRect(QRectF(box.left() + s * 0.60, box.top(), s * 0.28, s), color);
        break;
    case u'✓':
        painter.setPen(stroke);
        painter.drawPolyline(QPolygonF({QPointF(box.left() + s * 0.05, box.top() + s * 0.55),
                                        QPointF(box.left() + s * 0.38, box.top() + s * 0.88),
                                        QPointF(box.left() + s * 0.95, box.top() + s * 0.12)}));
        break;
    case u'✕':
        painter.setPen(stroke);
        painter.drawLine(box.topLeft() + QPointF(s * 0.12, s * 0.12), box.bottomRight() - QPointF(s * 0.12, s * 0.12));
        painter.drawLine(box.topRight() + QPointF(-s * 0.12, s * 0.12),
                         box.bottomLeft() + QPointF(s * 0.12, -s * 0.12));
        break;
    case u'■':
        painter.fillRect(box.adjusted(s * 0.1, s * 0.1, -s * 0.1, -s * 0.1), color);
        break;
    case u'●':
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(box);
        break;
    default:
        break;
    }
    painter.restore();
}
}  // namespace

HUDBarButton::HUDBarButton(const QString& title, HUDControlSize size, QWidget* parent)
    : HUDButton(title, parent), m_size(size)
{
    QFont f = font();
    f.setPixelSize(metricsFor(size).fontPixels);
    setFont(f);
    setCornerRadius(5);
    setBaseBackground(QColor(255, 255, 255, 38));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QChar HUDBarButton::symbol() const
{
    const QString title = text();
    return title.size() >= 2 && isBarSymbol(title[0]) && title[1] == QLatin1Char(' ') ? title[0] : QChar();
}

QString HUDBarButton::label() const { return symbol().isNull() ? text() : text().mid(2); }

qreal HUDBarButton::symbolSide() const { return qRound(metricsFor(m_size).fontPixels * 0.75); }

QSize HUDBarButton::sizeHint() const
{
    const Metrics m = metricsFor(m_size);
    int width = fontMetrics().horizontalAdvance(label()) + 2 * m.padding;
    if (!symbol().isNull()) width += int(symbolSide()) + kSymbolGap;
    return {width, m.height};
}

void HUDBarButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = currentFill();
    if (fill.alpha() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()), cornerRadius(), cornerRadius());
    }
    QColor ink = contentTint().value_or(QColor(255, 255, 255, 235));
    if (!isEnabled()) ink.setAlphaF(ink.alphaF() * 0.4f);

    const QString text = label();
    const int textWidth = fontMetrics().horizontalAdvance(text);
    const qreal side = symbol().isNull() ? 0 : symbolSide();
    const qreal contentWidth = textWidth + (side > 0 ? side + kSymbolGap : 0);
    qreal x = (width() - contentWidth) / 2;
    if (side > 0) {
        drawSymbol(painter, symbol(), QRectF(x, (height() - side) / 2, side, side), ink);
        x += side + kSymbolGap;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, text);
}

}  // namespace klipo
