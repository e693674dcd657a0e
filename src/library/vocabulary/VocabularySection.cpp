#include "library/vocabulary/VocabularySection.h"

#include "library/vocabulary/DefinitionRuns.h"
#include "library/vocabulary/VocabularyWordList.h"
#include "library/widgets/EmptyState.h"
#include "library/widgets/LibraryStyle.h"
#include "library/widgets/SegmentedControl.h"
#include "platform/Clipboard.h"
#include "platform/NotificationCenter.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"
#include "app/CaptureHUDController.h"
#include "stores/StoreFiles.h"
#include "stores/VocabularyStore.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace klipo {

VocabularySection::VocabularySection(VocabularyStore& store, QWidget* parent)
    : QWidget(parent),
      m_store(store),
      m_model(new VocabularyWordModel(this)),
      m_switch(new SegmentedControl({{QStringLiteral("待掌握"), {}, {}}, {QStringLiteral("已掌握"), {}, {}}})),
      m_notice(new QLabel),
      m_content(new QStackedWidget),
      m_list(new QListView),
      m_noWords(new EmptyState(libraryicons::Symbol::words, QStringLiteral("还没有收集到单词"),
                               QStringLiteral("翻译一些外文截图后，这里会列出反复出现的词"))),
      m_noMastered(new EmptyState(libraryicons::Symbol::words, QStringLiteral("还没有标记已掌握的单词"),
                                  QStringLiteral("在「待掌握」里点 ✓ 就会移到这里")))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 12);
    header->setSpacing(16);
    m_switch->setFixedWidth(160);
    header->addWidget(m_switch);
    header->addStretch(1);
    header->addWidget(makeChip(QStringLiteral("生词"), &m_unlearned));
    header->addWidget(makeChip(QStringLiteral("已掌握"), &m_masteredCount));
    header->addWidget(makeChip(QStringLiteral("累计出现"), &m_occurrences));
    layout->addLayout(header);

    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    m_notice->setWordWrap(true);
    m_notice->setContentsMargins(12, 6, 12, 6);
    m_notice->setFont(librarystyle::caption(font()));
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_notice);

    m_list->setModel(m_model);
    auto* delegate = new VocabularyWordDelegate(*m_model, m_list);
    m_list->setItemDelegate(delegate);
    m_list->setUniformItemSizes(true);
    m_list->setMouseTracking(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setSpacing(0);
    m_list->setContentsMargins(6, 4, 6, 4);
    m_list->viewport()->setBackgroundRole(QPalette::Window);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_content->addWidget(m_list);
    m_content->addWidget(m_noWords);
    m_content->addWidget(m_noMastered);
    layout->addWidget(m_content, 1);

    connect(m_switch, &SegmentedControl::currentChanged, this, &VocabularySection::showContent);
    connect(delegate, &VocabularyWordDelegate::buttonClicked, this, [this](int row) {
        const VocabularyWord word = m_model->wordAt(row);
        m_store.setMastered(!m_model->isMasteredList(), word.normalized);
        tellIfHeldElsewhere();
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_list->indexAt(at);
        if (!index.isValid()) return;
        QMenu* menu = wordMenu(m_model->wordAt(index.row()));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_list->viewport()->mapToGlobal(at));
    });
    connect(&m_store, &VocabularyStore::changed, this, &VocabularySection::storeChanged);
    platform::NotificationCenter::shared().observe(VocabularyStore::didChangeNotification, this,
                                                   [this](const QVariantMap&) { refreshMastered(); });

    setFocusProxy(m_list);
    m_topCount = m_store.topWords().size();
    storeChanged();
    updateNotice();
}

QWidget* VocabularySection::makeChip(const QString& label, QLabel** value)
{
    auto* chip = new QWidget;
    chip->setMinimumWidth(56);
    auto* layout = new QVBoxLayout(chip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    *value = new QLabel(QStringLiteral("0"));
    (*value)->setFont(librarystyle::headline(font()));
    auto* caption = new QLabel(label);
    caption->setFont(librarystyle::caption2(font()));
    QPalette secondary = caption->palette();
    secondary.setColor(QPalette::WindowText, librarystyle::secondary(palette()));
    caption->setPalette(secondary);
    for (QLabel* text : {*value, caption}) {
        text->setAlignment(Qt::AlignCenter);
        layout->addWidget(text);
    }
    return chip;
}

bool VocabularySection::showsMastered() const { return m_switch->currentIndex() == 1; }

void VocabularySection::setShowMastered(bool mastered) { m_switch->setCurrentIndex(mastered ? 1 : 0); }

EmptyState* VocabularySection::currentEmptyState() const
{
    return qobject_cast<EmptyState*>(m_content->currentWidget());
}

QList<qint64> VocabularySection::chipValues() const
{
    return {m_unlearned->text().toLongLong(), m_masteredCount->text().toLongLong(),
            m_occurrences->text().toLongLong()};
}

void VocabularySection::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Each time it comes on screen (also in a window shown again).
    if (event->spontaneous()) return;
    refreshMastered();
    translateMissingDefinitions();
}

void VocabularySection::storeChanged()
{
    const VocabularyStore::Summary& stats = m_store.stats();
    m_unlearned->setText(QString::number(stats.distinctCount - stats.masteredCount));
    m_masteredCount->setText(QString::number(stats.masteredCount));
    m_occurrences->setText(QString::number(stats.totalOccurrences));
    if (!showsMastered()) showContent();
    // A new length means words came, went or changed lists: their turn for
    // definitions. Other changes (a definition stored, a count raised) start none.
    const qsizetype count = m_store.topWords().size();
    if (count != m_topCount) {
        m_topCount = count;
        if (isVisible()) translateMissingDefinitions();
    }
}

void VocabularySection::refreshMastered()
{
    QPointer<VocabularySection> self(this);
    QPointer<VocabularyStore> store(&m_store);
    (void)QtConcurrent::run([self, store] {
        if (!store) return;
        QList<VocabularyWord> mastered = store->masteredWords();
        platform::runOnMain([self, mastered = std::move(mastered)] {
            if (!self) return;
            self->m_mastered = mastered;
            if (self->showsMastered()) self->showContent();
        });
    });
}

void VocabularySection::translateMissingDefinitions()
{
    DefinitionRuns::shared().start(m_store);
    updateNotice();
}

void VocabularySection::updateNotice()
{
    const bool none = DefinitionRuns::shared().plan().source == DefinitionPlan::Source::none;
    m_notice->setVisible(none);
    if (none)
        m_notice->setText(QStringLiteral("单词释义来自 WordNet 英文词典，本机尚未安装。请安装 Debian 软件包 %1"
                                         "（sudo apt install %1）后重新打开本页。")
                              .arg(DefinitionPlan::wordNetPackage()));
}

void VocabularySection::showContent()
{
    const bool mastered = showsMastered();
    const QList<VocabularyWord>& words = mastered ? m_mastered : m_store.topWords();
    // The list keeps its place when a word leaves it or a definition arrives.
    const bool sameList = m_model->isMasteredList() == mastered;
    const int position = m_list->verticalScrollBar()->value();
    m_model->setWords(words, mastered);
    if (sameList) m_list->verticalScrollBar()->setValue(position);
    if (words.isEmpty())
        m_content->setCurrentWidget(mastered ? m_noMastered : m_noWords);
    else
        m_content->setCurrentWidget(m_list);
}

QMenu* VocabularySection::wordMenu(const VocabularyWord& word)
{
    auto* menu = new QMenu(this);
    const QString display = word.display;
    const QString key = word.normalized;
    menu->addAction(QStringLiteral("复制单词"), this, [display] {
        if (platform::Clipboard* clipboard = platform::services().clipboard) clipboard->setText(display);
    });
    menu->addAction(QStringLiteral("从单词本移除"), this, [this, key] {
        m_store.removeWord(key);
        tellIfHeldElsewhere();
    });
    return menu;
}

void VocabularySection::tellIfHeldElsewhere()
{
    // The change shows here for this run; it is not saved, and each one says so.
    if (storefiles::isReadOnlyHere(m_store.filePath()))
        CaptureHUDController::shared().show(QStringLiteral("单词本未能保存"),
                                            storefiles::heldByAnotherCopy(QStringLiteral("单词本")));
}

}  // namespace klipo
