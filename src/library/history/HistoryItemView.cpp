#include "library/history/HistoryItemView.h"

#include "library/history/HistoryItemDelegate.h"
#include "library/history/HistoryRecordModel.h"

#include <QResizeEvent>
#include <QScrollBar>

namespace klipo {

namespace {
constexpr int kMinimumCellWidth = 180;
constexpr int kSpacing = 2 * HistoryItemDelegate::margin;  // between columns and rows
}  // namespace

HistoryItemView::HistoryItemView(Layout layout, HistoryRecordModel& model, ThumbnailCache& thumbnails, QWidget* parent)
    : QListView(parent), m_layout(layout), m_model(model)
{
    setModel(&model);
    setItemDelegate(new HistoryItemDelegate(layout, model, thumbnails, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setContextMenuPolicy(Qt::CustomContextMenu);
    if (layout == Layout::grid) {
        setFlow(QListView::LeftToRight);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
        setViewportMargins(HistoryItemDelegate::margin, HistoryItemDelegate::margin, HistoryItemDelegate::margin,
                           HistoryItemDelegate::margin);
        verticalScrollBar()->setSingleStep(24);
    } else {
        setFlow(QListView::TopToBottom);
        setSpacing(0);
        setViewportMargins(6, 4, 6, 4);
    }
    viewport()->setBackgroundRole(QPalette::Window);

    connect(this, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) Q_EMIT recordClicked(index.row());
    });
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        const QModelIndex index = indexAt(position);
        if (!index.isValid()) return;
        setCurrentIndex(index);
        Q_EMIT recordMenuRequested(index.row(), viewport()->mapToGlobal(position));
    });
    updateCells();
}

void HistoryItemView::resizeEvent(QResizeEvent* event)
{
    QListView::resizeEvent(event);
    updateCells();
}

void HistoryItemView::updateCells()
{
    if (m_layout != Layout::grid) return;
    // The scroll bar's room is always kept, so that its coming and going
    // does not change the columns.
    const int available = width() - 2 * frameWidth() - 2 * HistoryItemDelegate::margin -
                          verticalScrollBar()->sizeHint().width();
    const int columns = qMax(1, available / (kMinimumCellWidth + kSpacing));
    const int cellWidth = qMax(kMinimumCellWidth + kSpacing, available / columns);
    const QSize cell(cellWidth, HistoryItemDelegate::itemHeight(m_layout, font()));
    if (cell == m_cell) return;
    m_cell = cell;
    static_cast<HistoryItemDelegate*>(itemDelegate())->setCellSize(cell);
    setGridSize(cell);
}

}  // namespace klipo
