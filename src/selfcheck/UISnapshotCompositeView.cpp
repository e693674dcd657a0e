#include "selfcheck/UISnapshotCompositeView.h"

#include "app/HUDHintPanel.h"
#include "overlay/SelChromeLayout.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelOverlayView.h"
#include "selfcheck/UISnapshotPieces.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace klipo {

namespace {

constexpr QSize kViewSize(980, 640);
constexpr double kGradientDegrees = 60;

QColor gray(double white, double alpha) { return QColor::fromRgbF(float(white), float(white), float(white), float(alpha)); }

// The gradient's line runs through the middle at the angle (counter-clockwise
// from the right) and just reaches the farthest corners.
QLinearGradient backgroundGradient(const QRectF& r)
{
    const double radians = kGradientDegrees * M_PI / 180;
    const QPointF direction(std::cos(radians), -std::sin(radians));
    const double reach = (std::abs(direction.x()) * r.width() + std::abs(direction.y()) * r.height()) / 2;
    QLinearGradient gradient(r.center() - direction * reach, r.center() + direction * reach);
    gradient.setColorAt(0, QColor::fromRgbF(0.33f, 0.52f, 0.86f));
    gradient.setColorAt(1, QColor::fromRgbF(0.68f, 0.42f, 0.78f));
    return gradient;
}

void drawMockWindow(QPainter& painter)
{
    QPainterPath window;
    window.addRoundedRect(QRectF(150, 60, 680, 410), 12, 12);
    painter.fillPath(window, gray(1, 0.88));
    // Six lines of text, long and short by turns.
    for (int i = 0; i < 6; ++i) {
        QPainterPath line;
        line.addRoundedRect(QRectF(190, 104 + 48 * i, i % 2 ? 400 : 540, 16), 8, 8);
        painter.fillPath(line, gray(0, 0.1));
    }
}

void drawSelectionBorder(QPainter& painter, const QRectF& s)
{
    const QRectF line = s.adjusted(-0.75, -0.75, 0.75, 0.75);
    painter.setBrush(Qt::NoBrush);
    // A soft shadow one point below the line.
    painter.setPen(QPen(gray(0, 0.3), 3.5));
    painter.drawRect(line.translated(0, 1));
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawRect(line);
}

QFont badgeFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QApplication::font().family()});
    font.setPointSizeF(12 * 72.0 / 96.0);
    font.setWeight(QFont::Medium);
    font.setStyleHint(QFont::Monospace);
    return font;
}

void drawSizeBadge(QPainter& painter, const QRectF& bounds, const QRectF& s)
{
    const QString text = QStringLiteral("%1 × %2").arg(int(s.width())).arg(int(s.height()));
    const QFont font = badgeFont();
    const QFontMetricsF metrics(font);
    const QSizeF size(metrics.horizontalAdvance(text), metrics.height());
    const QPointF origin = SelChromeLayout::sizeLabelOrigin(bounds, s, size);
    QPainterPath badge;
    badge.addRoundedRect(QRectF(origin.x() - 6, origin.y() - 3, size.width() + 12, size.height() + 6), 5, 5);
    painter.fillPath(badge, gray(0, 0.66));
    painter.setPen(QPen(gray(1, 0.12), 1));
    painter.drawPath(badge);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(origin, size), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

}  // namespace

UISnapshotCompositeView::UISnapshotCompositeView() : QWidget(nullptr), m_toolbar(new SelInlineToolbar(this))
{
    setFixedSize(kViewSize);
    m_toolbar->ensurePolished();
    const QSize toolbar = m_toolbar->sizeHint();
    const SelChromeLayout::Placement placed =
        SelChromeLayout::place(QRectF(rect()), selectionRect(), QSizeF(toolbar), std::nullopt);
    m_toolbar->setGeometry(placed.toolbar.toRect());
}

QRectF UISnapshotCompositeView::selectionRect() { return {230, 110, 520, 280}; }

void UISnapshotCompositeView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const QRectF s = selectionRect();

    painter.fillRect(bounds, backgroundGradient(bounds));
    drawMockWindow(painter);

    QPainterPath dimmed;
    dimmed.addRect(bounds);
    dimmed.addRect(s);  // odd-even fill: the selection stays clear
    painter.fillPath(dimmed, gray(0, 0.35));

    drawSelectionBorder(painter, s);
    SelOverlayView::drawHandles(painter, s);
    drawSizeBadge(painter, bounds, s);

    const QList<HUDHintPanel::Row> rows = UISnapshotPieces::editingRows();
    const QSizeF card = HUDHintPanel::size(rows);
    HUDHintPanel::draw(rows, painter, QRectF(QPointF(24, bounds.height() - 24 - card.height()), card));
}

}  // namespace klipo
