#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

class QPainter;

// The key-hint card: a dark rounded card listing keys (in badges) with what
// they do. Sizes are in logical pixels; the card is drawn into any painter.
namespace klipo::HUDHintPanel {

struct Row {
    std::optional<QString> key;  // the key or key combination; none for a text-only line
    QString text;
};

// Where one row's pieces go, with the origin at the top left.
struct RowLayout {
    QRectF row;
    std::optional<QRectF> badge;
    QRectF keyText;   // the key's measured box, centred in the badge
    QRectF textBox;   // the text's measured box
};

QFont keyFont();   // 11 px, medium
QFont textFont();  // 12.5 px, medium

// The widest key plus 12 over the rows that have one; 0 when none has.
double badgeColumnWidth(const QList<Row>& rows);

// The card's size: width = widest row + 24, height = 20 per row, 5 between
// rows and 20 around; nothing for no rows.
QSizeF size(const QList<Row>& rows);

// The rows placed in a card that fills `rect`.
QList<RowLayout> layout(const QList<Row>& rows, const QRectF& rect);

// Draws the card into `rect`; nothing for no rows.
void draw(const QList<Row>& rows, QPainter& painter, const QRectF& rect);

}  // namespace klipo::HUDHintPanel
