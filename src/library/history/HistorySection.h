#pragma once

#include "library/history/PreviewSheet.h"
#include "stores/HistoryRecord.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;

namespace klipo {

class EmptyState;
class HistoryItemView;
class HistoryRecordModel;
class HistoryStore;
class SegmentedControl;
class ThumbnailCache;
class VocabularyStore;

// The history section of the library window: a header with the grid/list
// switch, the search field, the count of all records and "清空"; below it the
// records as a grid or a list, or a placeholder when there is nothing to show
// (or, until the store's first load is published, that it is loading).
// A click opens the preview; each item has a menu to view, copy the
// translation, save the image and delete. It follows the store's published list.
class HistorySection : public QWidget {
    Q_OBJECT
public:
    HistorySection(HistoryStore& history, VocabularyStore& vocabulary, QWidget* parent = nullptr);
    ~HistorySection() override;

    bool isGrid() const;
    void setGrid(bool grid);

    // The item menu of the record at a row of the current view.
    QMenu* itemMenu(const HistoryRecord& record);
    void openPreview(const HistoryRecord& record);
    void askToClear();

    // For tests and the window: the parts as they are now.
    QLineEdit* searchField() const { return m_search; }
    SegmentedControl* layoutSwitch() const { return m_layoutSwitch; }
    QLabel* countLabel() const { return m_count; }
    QPushButton* clearButton() const { return m_clear; }
    HistoryItemView* gridView() const { return m_grid; }
    HistoryItemView* listView() const { return m_list; }
    HistoryItemView* currentView() const;
    EmptyState* currentEmptyState() const;
    HistoryRecordModel& model() const { return *m_model; }
    ThumbnailCache& thumbnails() const { return *m_thumbnails; }
    PreviewSheet* preview() const { return m_preview; }
    QMessageBox* clearConfirmation() const { return m_confirmClear; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void recordsChanged();
    void showContent();
    // Shows the loading state until the store's first load is published.
    void waitForFirstLoad();

    HistoryStore& m_history;
    VocabularyStore& m_vocabulary;
    HistoryRecordModel* m_model;
    ThumbnailCache* m_thumbnails;
    SegmentedControl* m_layoutSwitch;
    QLineEdit* m_search;
    QLabel* m_count;
    QPushButton* m_clear;
    QStackedWidget* m_content;
    EmptyState* m_noHistory;
    EmptyState* m_noMatch;
    EmptyState* m_loading;
    bool m_isLoading = false;
    HistoryItemView* m_grid;
    HistoryItemView* m_list;
    QPointer<PreviewSheet> m_preview;
    QPointer<QMessageBox> m_confirmClear;
    QTimer m_spinnerTimer;  // turns the spinners while thumbnails load
};

}  // namespace klipo
