#pragma once

#include <QListView>

namespace klipo {

class HistoryRecordModel;
class ThumbnailCache;

// One presentation of the history records: a grid of cells (a thumbnail 120
// high over the title and the date, in as many columns of at least 180 as
// fit) or a list of rows (a small thumbnail, title and first source line, the
// date at the right). Both paint every item themselves from the model and ask
// the thumbnail cache for its picture; only the items on screen are painted.
class HistoryItemView : public QListView {
    Q_OBJECT
public:
    enum class Layout { grid, list };

    HistoryItemView(Layout layout, HistoryRecordModel& model, ThumbnailCache& thumbnails, QWidget* parent = nullptr);

    Layout layoutKind() const { return m_layout; }
    // The cell size the grid uses now (items included their 6-point margins).
    QSize cellSize() const { return m_cell; }

Q_SIGNALS:
    // A click on an item, and the context menu asked for one.
    void recordClicked(int row);
    void recordMenuRequested(int row, const QPoint& globalPosition);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateCells();

    Layout m_layout;
    HistoryRecordModel& m_model;
    QSize m_cell;
};

}  // namespace klipo
