#include "library/history/HistoryItemDelegate.h"

#include "library/history/HistoryRecordModel.h"
#include "library/widgets/BusyIndicator.h"
#include "library/widgets/LibraryIcons.h"
#include "library/widgets/LibraryStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace klipo {

namespace {

constexpr int kGap = 6;           // between a grid cell's thumbnail, title and date
constexpr qreal kCornerRadius = 8;

int lineHeight(const QFont& font) { return QFontMetrics(font).height(); }

// Lays the text out in at most `maxLines` lines of the rectangle's width, the
// last one cut with "…" when the text goes on.
void drawWrapped(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, int maxLines)
{
    const QFontMetricsF metrics(font);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = rect.top();
    for (int lineNumber = 0; lineNumber < maxLines; ++lineNumber) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(rect.width());
        if (lineNumber == maxLines - 1 && line.textStart() + line.textLength() < text.size()) {
            const QString rest = text.mid(line.textStart()).simplified();
            painter.setFont(font);
            painter.drawText(QPointF(rect.left(), y + metrics.ascent()),
                             metrics.elidedText(rest, Qt::ElideRight, rect.width()));
            break;
        }
        line.setPosition(QPointF(0, y - rect.top()));
        line.draw(&painter, QPointF(rect.left(), rect.top()));
        y += line.height();
    }
    layout.endLayout();
}

void drawOneLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                 Qt::Alignment alignment = Qt::AlignLeft)
{
    painter.setFont(font);
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, int(alignment | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}

void paintBackground(QPainter& painter, const QRectF& rect, const QStyleOptionViewItem& option)
{
    QColor fill;
    if (option.state & QStyle::State_Selected)
        fill = option.palette.color(QPalette::Highlight), fill.setAlphaF(0.22);
    else if (option.state & QStyle::State_MouseOver)
        fill = librarystyle::wash(option.palette, 0.06);
    if (!fill.isValid()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(rect, kCornerRadius, kCornerRadius);
    painter.restore();
}

}  // namespace

HistoryItemDelegate::HistoryItemDelegate(HistoryItemView::Layout layout, HistoryRecordModel& model,
                                         ThumbnailCache& thumbnails, QObject* parent)
    : QStyledItemDelegate(parent), m_layout(layout), m_model(model), m_thumbnails(thumbnails)
{
}

int HistoryItemDelegate::itemHeight(HistoryItemView::Layout layout, const QFont& font)
{
    if (layout == HistoryItemView::Layout::grid)
        return gridThumbnailHeight + kGap + 2 * lineHeight(librarystyle::caption(font)) + kGap +
               lineHeight(librarystyle::caption2(font)) + 2 * margin;
    const int texts = lineHeight(librarystyle::body(font)) + 2 + lineHeight(librarystyle::caption(font));
    return qMax(listThumbnailHeight, texts) + 2 * margin;
}

QSize HistoryItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    if (m_layout == HistoryItemView::Layout::grid && m_cell.isValid()) return m_cell;
    return {option.rect.width() > 0 ? option.rect.width() : 400, itemHeight(m_layout, option.font)};
}

void HistoryItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= m_model.rowCount()) return;
    painter->save();
    if (m_layout == HistoryItemView::Layout::grid) {
        const QRect cell(option.rect.topLeft(), m_cell.isValid() ? m_cell : option.rect.size());
        paintGridCell(*painter, cell.adjusted(margin, margin, -margin, -margin), option, index);
    } else {
        paintListRow(*painter, option.rect.adjusted(margin, 0, -margin, 0), option, index);
    }
    painter->restore();
}

void HistoryItemDelegate::paintGridCell(QPainter& painter, const QRect& rect, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    const HistoryRecord& record = m_model.recordAt(index.row());
    paintBackground(painter, QRectF(rect).adjusted(-4, -4, 4, 4), option);
    const QRectF thumb(rect.left(), rect.top(), rect.width(), gridThumbnailHeight);
    paintThumbnail(painter, thumb, m_thumbnails.thumbnail(record), option.palette, true);

    const QFont caption = librarystyle::caption(option.font);
    const QFont caption2 = librarystyle::caption2(option.font);
    qreal y = thumb.bottom() + kGap;
    painter.setPen(option.palette.color(QPalette::WindowText));
    drawWrapped(painter, QRectF(rect.left(), y, rect.width(), 2 * lineHeight(caption)), record.displayTitle(),
                caption, 2);
    y += 2 * lineHeight(caption) + kGap;
    painter.setPen(librarystyle::secondary(option.palette));
    drawOneLine(painter, QRectF(rect.left(), y, rect.width(), lineHeight(caption2)),
                HistoryRecord::formatDate(record.date), caption2);
}

void HistoryItemDelegate::paintListRow(QPainter& painter, const QRect& rect, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    const HistoryRecord& record = m_model.recordAt(index.row());
    paintBackground(painter, QRectF(rect).adjusted(0, 1, 0, -1), option);
    const QRect inner = rect.adjusted(6, margin, -6, -margin);
    const QRectF thumb(inner.left(), inner.center().y() - listThumbnailHeight / 2.0, listThumbnailWidth,
                       listThumbnailHeight);
    paintThumbnail(painter, thumb, m_thumbnails.thumbnail(record), option.palette, false);

    const QFont body = librarystyle::body(option.font);
    const QFont caption = librarystyle::caption(option.font);
    const QString date = HistoryRecord::formatDate(record.date);
    const int dateWidth = QFontMetrics(caption).horizontalAdvance(date) + 2;
    const QRectF dateRect(inner.right() - dateWidth, inner.top(), dateWidth, inner.height());
    const qreal textLeft = thumb.right() + 10;
    const qreal textWidth = qMax<qreal>(0, dateRect.left() - 10 - textLeft);
    const int titleHeight = lineHeight(body);
    const int subtitleHeight = lineHeight(caption);
    const qreal top = inner.center().y() - (titleHeight + 2 + subtitleHeight) / 2.0;

    painter.setPen(option.palette.color(QPalette::WindowText));
    drawOneLine(painter, QRectF(textLeft, top, textWidth, titleHeight), record.displayTitle(), body);
    painter.setPen(librarystyle::secondary(option.palette));
    drawOneLine(painter, QRectF(textLeft, top + titleHeight + 2, textWidth, subtitleHeight), record.displaySubtitle(),
                caption);
    drawOneLine(painter, dateRect, date, caption, Qt::AlignRight);
}

void HistoryItemDelegate::paintThumbnail(QPainter& painter, const QRectF& rect,
                                         const ThumbnailCache::Thumbnail& thumbnail, const QPalette& palette,
                                         bool withText)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath frame;
    frame.addRoundedRect(rect, kCornerRadius, kCornerRadius);
    painter.setClipPath(frame);
    painter.fillRect(rect, librarystyle::wash(palette, 0.1));
    switch (thumbnail.state) {
    case ThumbnailCache::Thumbnail::State::ready: {
        // Filled with the picture, its middle kept where the shapes differ.
        const QSizeF image = thumbnail.image.size();
        const qreal scale = qMax(rect.width() / image.width(), rect.height() / image.height());
        const QSizeF source(rect.width() / scale, rect.height() / scale);
        const QRectF from((image.width() - source.width()) / 2, (image.height() - source.height()) / 2,
                          source.width(), source.height());
        painter.drawImage(rect, thumbnail.image, from);
        break;
    }
    case ThumbnailCache::Thumbnail::State::loading:
        BusyIndicator::paintSpinner(painter, QRectF(rect.center() - QPointF(8, 8), QSizeF(16, 16)),
                                    palette.color(QPalette::WindowText));
        break;
    case ThumbnailCache::Thumbnail::State::broken: {
        const int side = withText ? 32 : 22;
        const QColor ink = librarystyle::tertiary(palette);
        const QFont caption = librarystyle::caption2(QFont());
        const qreal textHeight = withText ? QFontMetricsF(caption).height() + 4 : 0;
        const QPointF topLeft(rect.center().x() - side / 2.0, rect.center().y() - (side + textHeight) / 2.0);
        painter.drawPixmap(topLeft, libraryicons::pixmap(libraryicons::Symbol::brokenImage, side, ink,
                                                          painter.device()->devicePixelRatioF()));
        if (withText) {
            painter.setPen(librarystyle::secondary(palette));
            painter.setFont(caption);
            painter.drawText(QRectF(rect.left(), topLeft.y() + side + 4, rect.width(), textHeight),
                             Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("图片无法读取"));
        }
        break;
    }
    }
    painter.restore();
}

}  // namespace klipo
