#include "library/history/PreviewSheet.h"

#include "library/history/HistoryActions.h"
#include "library/widgets/BusyIndicator.h"
#include "library/widgets/EmptyState.h"
#include "library/widgets/LibraryStyle.h"
#include "stores/HistoryStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace klipo {

namespace {
constexpr QSize kSize(820, 620);
enum Page { loadingPage, imagePage, unreadablePage };
}  // namespace

PreviewSheet::PreviewSheet(const HistoryRecord& record, HistoryStore& store, QWidget* parent)
    : QDialog(parent),
      m_record(record),
      m_area(new QStackedWidget),
      m_image(new QLabel),
      m_copy(new QPushButton(QStringLiteral("复制译文"))),
      m_close(new QPushButton(QStringLiteral("关闭")))
{
    setWindowTitle(QStringLiteral("查看大图"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(kSize);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);

    auto* loading = new QWidget;
    auto* loadingLayout = new QVBoxLayout(loading);
    loadingLayout->addWidget(new BusyIndicator(24), 0, Qt::AlignCenter);
    m_area->insertWidget(loadingPage, loading);

    auto* scroll = new QScrollArea;
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(m_image);
    m_area->insertWidget(imagePage, scroll);

    m_area->insertWidget(unreadablePage, new EmptyState(libraryicons::Symbol::brokenImage,
                                                         QStringLiteral("图片无法读取"),
                                                         QStringLiteral("这条记录的图片已丢失或已损坏")));
    layout->addWidget(m_area, 1);

    auto* bar = new QHBoxLayout;
    auto* date = new QLabel(HistoryRecord::formatDate(record.date));
    date->setFont(librarystyle::caption(font()));
    QPalette secondary = date->palette();
    secondary.setColor(QPalette::WindowText, librarystyle::secondary(palette()));
    date->setPalette(secondary);
    bar->addWidget(date);
    bar->addStretch(1);
    bar->addWidget(m_copy);
    bar->addWidget(m_close);
    layout->addLayout(bar);

    // A screenshot has no translation: copying would only empty the clipboard.
    m_copy->setAutoDefault(false);
    m_copy->setEnabled(historyactions::hasTranslation(record));
    connect(m_copy, &QPushButton::clicked, this, [this] { historyactions::copyTranslation(m_record); });
    m_close->setDefault(true);
    m_close->setFocus();
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    QPointer<PreviewSheet> self(this);
    store.loadImage(record, [self](QImage image) {
        if (self) self->imageArrived(image);
    });
}

PreviewSheet::State PreviewSheet::state() const
{
    switch (m_area->currentIndex()) {
    case imagePage: return State::shown;
    case unreadablePage: return State::unreadable;
    default: return State::loading;
    }
}

void PreviewSheet::imageArrived(const QImage& image)
{
    if (image.isNull()) {
        m_area->setCurrentIndex(unreadablePage);
        return;
    }
    // At its own size: a screenshot's pixels are the screen's pixels.
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    m_image->setPixmap(pixmap);
    m_image->resize(pixmap.deviceIndependentSize().toSize());
    m_area->setCurrentIndex(imagePage);
}

}  // namespace klipo
