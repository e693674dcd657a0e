#include "library/history/HistorySection.h"

#include "app/MessageBoxFit.h"
#include "library/history/HistoryActions.h"
#include "library/history/HistoryItemView.h"
#include "library/history/HistoryRecordModel.h"
#include "library/history/PreviewSheet.h"
#include "library/history/ThumbnailCache.h"
#include "library/widgets/EmptyState.h"
#include "library/widgets/LibraryStyle.h"
#include "library/widgets/SegmentedControl.h"
#include "platform/SerialQueue.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace klipo {

namespace {
constexpr int kSpinnerFrameMs = 80;
}  // namespace

HistorySection::HistorySection(HistoryStore& history, VocabularyStore& vocabulary, QWidget* parent)
    : QWidget(parent),
      m_history(history),
      m_vocabulary(vocabulary),
      m_model(new HistoryRecordModel(this)),
      m_thumbnails(new ThumbnailCache(history, this)),
      m_layoutSwitch(new SegmentedControl({{{}, libraryicons::Symbol::grid, QStringLiteral("网格")},
                                           {{}, libraryicons::Symbol::list, QStringLiteral("列表")}})),
      m_search(new QLineEdit),
      m_count(new QLabel),
      m_clear(new QPushButton(QStringLiteral("清空"))),
      m_content(new QStackedWidget),
      m_noHistory(new EmptyState(libraryicons::Symbol::history, QStringLiteral("还没有翻译记录"),
                                 QStringLiteral("按 Ctrl+Shift+T 截图翻译，结果会自动保存在这里"))),
      m_noMatch(new EmptyState(libraryicons::Symbol::search, QStringLiteral("没有匹配的记录"),
                               QStringLiteral("换个关键词试试"))),
      m_loading(new EmptyState(libraryicons::Symbol::history, QStringLiteral("正在载入…"),
                               QStringLiteral("历史记录较多时需要几秒钟"))),
      m_grid(new HistoryItemView(HistoryItemView::Layout::grid, *m_model, *m_thumbnails)),
      m_list(new HistoryItemView(HistoryItemView::Layout::list, *m_model, *m_thumbnails))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 12);
    header->setSpacing(12);
    m_layoutSwitch->setFixedWidth(90);
    header->addWidget(m_layoutSwitch);
    m_search->setPlaceholderText(QStringLiteral("搜索原文或译文"));
    m_search->setClearButtonEnabled(true);
    m_search->setMaximumWidth(280);
    header->addWidget(m_search, 1);
    header->addStretch(1);
    m_count->setFont(librarystyle::caption(font()));
    QPalette secondary = m_count->palette();
    secondary.setColor(QPalette::WindowText, librarystyle::secondary(palette()));
    m_count->setPalette(secondary);
    header->addWidget(m_count);
    header->addWidget(m_clear);
    layout->addLayout(header);

    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    for (QWidget* page : {static_cast<QWidget*>(m_loading), static_cast<QWidget*>(m_noHistory),
                          static_cast<QWidget*>(m_noMatch),
                          static_cast<QWidget*>(m_grid), static_cast<QWidget*>(m_list)})
        m_content->addWidget(page);
    layout->addWidget(m_content, 1);

    connect(&m_history, &HistoryStore::recordsChanged, this, &HistorySection::recordsChanged);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model->setKeyword(text);
        showContent();
    });
    connect(m_layoutSwitch, &SegmentedControl::currentChanged, this, &HistorySection::showContent);
    connect(m_clear, &QPushButton::clicked, this, &HistorySection::askToClear);
    connect(m_thumbnails, &ThumbnailCache::thumbnailArrived, m_model, &HistoryRecordModel::refreshRecord);
    for (HistoryItemView* view : {m_grid, m_list}) {
        connect(view, &HistoryItemView::recordClicked, this,
                [this](int row) { openPreview(m_model->recordAt(row)); });
        connect(view, &HistoryItemView::recordMenuRequested, this, [this](int row, const QPoint& at) {
            QMenu* menu = itemMenu(m_model->recordAt(row));
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(at);
        });
    }
    m_spinnerTimer.setInterval(kSpinnerFrameMs);
    connect(&m_spinnerTimer, &QTimer::timeout, this, [this] {
        if (!m_thumbnails->isLoading()) return;
        if (HistoryItemView* view = currentView()) view->viewport()->update();
    });

    setFocusProxy(m_search);
    m_model->setRecords(m_history.records());
    waitForFirstLoad();
    showContent();
}

HistorySection::~HistorySection() = default;

void HistorySection::waitForFirstLoad()
{
    // Records shown: a load was published already.
    m_isLoading = m_history.records().isEmpty();
    if (!m_isLoading) return;
    // The store loads first thing on its queue and hands the list to the main
    // thread; this comes back after both, once the first load is published.
    QPointer<HistorySection> self(this);
    m_history.queue().async([self] {
        platform::runOnMain([self] {
            if (!self) return;
            self->m_isLoading = false;
            self->showContent();
        });
    });
}

void HistorySection::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_spinnerTimer.start();
}

void HistorySection::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_spinnerTimer.stop();
}

bool HistorySection::isGrid() const { return m_layoutSwitch->currentIndex() == 0; }

void HistorySection::setGrid(bool grid) { m_layoutSwitch->setCurrentIndex(grid ? 0 : 1); }

HistoryItemView* HistorySection::currentView() const
{
    return qobject_cast<HistoryItemView*>(m_content->currentWidget());
}

EmptyState* HistorySection::currentEmptyState() const { return qobject_cast<EmptyState*>(m_content->currentWidget()); }

void HistorySection::recordsChanged()
{
    m_isLoading = false;  // only a load publishes
    setFocusProxy(m_search);
    m_model->setRecords(m_history.records());
    showContent();
}

void HistorySection::showContent()
{
    const int total = m_model->totalCount();
    m_count->setText(m_isLoading ? QStringLiteral("正在载入…") : QStringLiteral("共 %1 条").arg(total));
    m_clear->setEnabled(!m_isLoading && total > 0);
    if (m_isLoading)
        m_content->setCurrentWidget(m_loading);
    else if (total == 0)
        m_content->setCurrentWidget(m_noHistory);
    else if (m_model->rowCount() == 0)
        m_content->setCurrentWidget(m_noMatch);
    else
        m_content->setCurrentWidget(isGrid() ? m_grid : m_list);
}

QMenu* HistorySection::itemMenu(const HistoryRecord& record)
{
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("查看大图"), this, [this, record] { openPreview(record); });
    QAction* copy = menu->addAction(QStringLiteral("复制译文"), this,
                                    [record] { historyactions::copyTranslation(record); });
    copy->setEnabled(historyactions::hasTranslation(record));
    menu->addAction(QStringLiteral("保存图片…"), this,
                    [this, record] { historyactions::saveImage(m_history, record, this); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("删除"), this,
                    [this, record] { historyactions::deleteRecord(m_history, m_vocabulary, record); });
    return menu;
}

void HistorySection::openPreview(const HistoryRecord& record)
{
    if (m_preview) m_preview->close();
    m_preview = new PreviewSheet(record, m_history, this);
    m_preview->open();
}

void HistorySection::askToClear()
{
    if (m_model->totalCount() == 0 || m_confirmClear) return;
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("KlipoVersa"),
                                QStringLiteral("<b>清空全部历史记录？</b>"), QMessageBox::NoButton, this);
    box->setInformativeText(
        QStringLiteral("将删除 %1 条记录及其图片，此操作不可撤销。").arg(m_model->totalCount()));
    fitMessageBoxToTexts(*box);
    QPushButton* cancel = box->addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    QPushButton* clear = box->addButton(QStringLiteral("清空"), QMessageBox::DestructiveRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::finished, this, [this, box, clear] {
        if (box->clickedButton() == clear) historyactions::clearAll(m_history, m_vocabulary);
    });
    m_confirmClear = box;
    box->open();
}

}  // namespace klipo
