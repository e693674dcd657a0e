#pragma once

#include "stores/HistoryRecord.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;

namespace klipo {

class EmptyState;
class HistoryStore;

// The large view of one history record over the library window: its image
// fitted to the sheet, the date, "复制译文" and "关闭", which is the default
// button (Return closes). 820 by 620. The image is read from the store when
// the sheet opens; one that cannot be read says so.
class PreviewSheet : public QDialog {
    Q_OBJECT
public:
    PreviewSheet(const HistoryRecord& record, HistoryStore& store, QWidget* parent);

    const HistoryRecord& record() const { return m_record; }
    enum class State { loading, shown, unreadable };
    State state() const;
    // What the sheet says in place of an image it could not show.
    QString unreadableText() const;
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* closeButton() const { return m_close; }

    // The image's size in an area (both in points): the whole image, shrunk
    // to fit where it is larger, never enlarged. An image much longer than
    // the area one way (a long screenshot) is fitted across instead, beside
    // the scroll bar it then needs, and scrolls along its length.
    static QSize fittedSize(const QSizeF& image, const QSize& area, int scrollBarExtent);

private:
    void imageArrived(const QImage& image, const QString& path);

    HistoryRecord m_record;
    QStackedWidget* m_area;
    QScrollArea* m_scroll;
    QLabel* m_image;
    EmptyState* m_unreadable = nullptr;
    EmptyState* m_tooLarge = nullptr;
    QPushButton* m_copy;
    QPushButton* m_close;
};

}  // namespace klipo
