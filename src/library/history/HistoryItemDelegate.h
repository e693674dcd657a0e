#pragma once

#include "library/history/HistoryItemView.h"
#include "library/history/ThumbnailCache.h"

#include <QStyledItemDelegate>

namespace klipo {

class HistoryRecordModel;

// Paints one history item, as a grid cell or a list row.
class HistoryItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int gridThumbnailHeight = 120;
    static constexpr int listThumbnailHeight = 46;
    static constexpr int listThumbnailWidth = 76;
    static constexpr int margin = 6;  // around every item: 12 between two

    HistoryItemDelegate(HistoryItemView::Layout layout, HistoryRecordModel& model, ThumbnailCache& thumbnails,
                        QObject* parent = nullptr);

    // The height of a grid cell or list row for the view's font, margins included.
    static int itemHeight(HistoryItemView::Layout layout, const QFont& font);

    void setCellSize(const QSize& size) { m_cell = size; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The thumbnail in a rounded frame: the picture cropped to fill it, a
    // spinner while it loads, or a broken-picture mark.
    static void paintThumbnail(QPainter& painter, const QRectF& rect, const ThumbnailCache::Thumbnail& thumbnail,
                               const QPalette& palette, bool withText);

private:
    void paintGridCell(QPainter& painter, const QRect& rect, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const;
    void paintListRow(QPainter& painter, const QRect& rect, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const;

    HistoryItemView::Layout m_layout;
    HistoryRecordModel& m_model;
    ThumbnailCache& m_thumbnails;
    QSize m_cell;
};

}  // namespace klipo
