#include "app/HUDHintPanel.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace klipo::HUDHintPanel {

namespace {
constexpr double kPadding = 12;     // left and right inside the card
constexpr double kTopInset = 10;    // above the first row
constexpr double kRowHeight = 20;
constexpr double kRowSpacing = 5;
constexpr double kBadgeGap = 8;     // between badge column and text
constexpr double kBadgeExtra = 12;  // badge width beyond its key
constexpr double kBadgeHeight = 17;
constexpr double kCardRadius = 10;
constexpr double kBadgeRadius = 4;

QFont hudFont(double pixels)
{
    QFont font = QApplication::font();
    // Sizes are given in logical pixels; points at the usual 96 dpi.
    font.setPointSizeF(pixels * 72.0 / 96.0);
    font.setWeight(QFont::Medium);
    return font;
}

QSizeF measured(const QFont& font, const QString& text)
{
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}
}  // namespace

QFont keyFont() { return hudFont(11); }
QFont textFont() { return hudFont(12.5); }

double badgeColumnWidth(const QList<Row>& rows)
{
    const QFont font = keyFont();
    double widest = -1;
    for (const Row& row : rows)
        if (row.key) widest = std::max(widest, measured(font, *row.key).width());
    return widest < 0 ? 0 : widest + kBadgeExtra;
}

QSizeF size(const QList<Row>& rows)
{
    if (rows.isEmpty()) return {0, 0};
    const QFont font = textFont();
    const double badges = badgeColumnWidth(rows);
    double widest = 0;
    for (const Row& row : rows) {
        double width = measured(font, row.text).width();
        if (row.key) width += badges + kBadgeGap;
        widest = std::max(widest, width);
    }
    const auto n = double(rows.size());
    return {widest + 2 * kPadding, kRowHeight * n + kRowSpacing * (n - 1) + 2 * kTopInset};
}

QList<RowLayout> layout(const QList<Row>& rows, const QRectF& rect)
{
    QList<RowLayout> out;
    const QFont kFont = keyFont();
    const QFont tFont = textFont();
    const double badges = badgeColumnWidth(rows);
    double top = rect.top() + kTopInset;
    for (const Row& row : rows) {
        RowLayout l;
        l.row = QRectF(rect.left() + kPadding, top, rect.width() - 2 * kPadding, kRowHeight);
        double textX = l.row.left();
        if (row.key) {
            l.badge = QRectF(l.row.left(), l.row.center().y() - kBadgeHeight / 2, badges, kBadgeHeight);
            const QSizeF keySize = measured(kFont, *row.key);
            l.keyText = QRectF(l.badge->center() - QPointF(keySize.width() / 2, keySize.height() / 2), keySize);
            textX += badges + kBadgeGap;
        }
        const QSizeF textSize = measured(tFont, row.text);
        l.textBox = QRectF(QPointF(textX, l.row.center().y() - textSize.height() / 2), textSize);
        out.append(l);
        top += kRowHeight + kRowSpacing;
    }
    return out;
}

void draw(const QList<Row>& rows, QPainter& painter, const QRectF& rect)
{
    if (rows.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QPainterPath card;
    card.addRoundedRect(rect, kCardRadius, kCardRadius);
    painter.fillPath(card, QColor::fromRgbF(0, 0, 0, 0.66f));
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.12f), 1.0));
    painter.drawPath(card);

    const QList<RowLayout> placed = layout(rows, rect);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Row& row = rows.at(i);
        const RowLayout& l = placed.at(i);
        if (row.key && l.badge) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.14f));
            painter.drawRoundedRect(*l.badge, kBadgeRadius, kBadgeRadius);
            painter.setFont(keyFont());
            painter.setPen(QColor::fromRgbF(1, 1, 1, 0.78f));
            painter.drawText(l.keyText, Qt::AlignCenter | Qt::TextSingleLine, *row.key);
        }
        painter.setFont(textFont());
        painter.setPen(QColor::fromRgbF(1, 1, 1, 0.92f));
        painter.drawText(l.textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, row.text);
    }
    painter.restore();
}

}  // namespace klipo::HUDHintPanel
