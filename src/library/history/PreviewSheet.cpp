#include "library/history/PreviewSheet.h"

#include "library/history/HistoryActions.h"
#include "library/widgets/BusyIndicator.h"
#include "library/widgets/EmptyState.h"
#include "library/widgets/LibraryStyle.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryStore.h"

#include <QImageReader>
#include <QStyle>

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace klipo {

namespace {
constexpr QSize kSize(820, 620);
// Longer than this many areas, fitted whole, an image is fitted across instead.
constexpr double kLongImage = 2.0;
enum Page { loadingPage, imagePage, unreadablePage, tooLargePage };
}  // namespace

PreviewSheet::PreviewSheet(const HistoryRecord& record, HistoryStore& store, QWidget* parent)
    : QDialog(parent),
      m_record(record),
      m_area(new QStackedWidget),
      m_scroll(new QScrollArea),
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

    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidget(m_image);
    m_area->insertWidget(imagePage, m_scroll);

    m_unreadable = new EmptyState(libraryicons::Symbol::brokenImage, QStringLiteral("图片无法读取"),
                                  QStringLiteral("这条记录的图片已丢失或已损坏"));
    m_area->insertWidget(unreadablePage, m_unreadable);
    m_tooLarge = new EmptyState(libraryicons::Symbol::brokenImage, QStringLiteral("图片太大，无法打开"), QString());
    m_area->insertWidget(tooLargePage, m_tooLarge);
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
    const QString path = historyindex::isSafeFileName(record.imageName)
                             ? store.directory() + QLatin1Char('/') + record.imageName
                             : QString();
    store.loadImage(record, [self, path](QImage image) {
        if (self) self->imageArrived(image, path);
    });
}

PreviewSheet::State PreviewSheet::state() const
{
    switch (m_area->currentIndex()) {
    case imagePage: return State::shown;
    case unreadablePage:
    case tooLargePage: return State::unreadable;
    default: return State::loading;
    }
}

QString PreviewSheet::unreadableText() const
{
    switch (m_area->currentIndex()) {
    case unreadablePage: return m_unreadable->title() + QLatin1Char('\n') + m_unreadable->detail();
    case tooLargePage: return m_tooLarge->title() + QLatin1Char('\n') + m_tooLarge->detail();
    default: return {};
    }
}

void PreviewSheet::imageArrived(const QImage& image, const QString& path)
{
    if (image.isNull()) {
        // A whole image that this machine has too little memory for is not a
        // lost or damaged one: say which it is.
        const QSize size = path.isEmpty() ? QSize() : QImageReader(path).size();
        if (size.isValid() && !size.isEmpty()) {
            m_tooLarge->setDetail(QStringLiteral("这张图片有 %1 × %2 像素，超出了本机内存能打开的大小")
                                      .arg(size.width())
                                      .arg(size.height()));
            m_area->setCurrentIndex(tooLargePage);
            return;
        }
        m_area->setCurrentIndex(unreadablePage);
        return;
    }
    // At its own size where it fits (a screenshot's pixels are the screen's
    // pixels), else fitted to the sheet.
    const qreal ratio = devicePixelRatioF();
    layout()->activate();  // the area has its size also before the sheet shows
    const QSize shown = fittedSize(QSizeF(image.size()) / ratio, m_area->contentsRect().size(),
                                   style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll));
    QPixmap pixmap = QPixmap::fromImage(
        shown * ratio == image.size() ? image
                                      : image.scaled(shown * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    m_image->setPixmap(pixmap);
    m_image->resize(shown);
    m_area->setCurrentIndex(imagePage);
}

QSize PreviewSheet::fittedSize(const QSizeF& image, const QSize& area, int scrollBarExtent)
{
    if (image.isEmpty() || area.isEmpty()) return image.toSize();
    const double across = std::min(1.0, area.width() / image.width());
    const double down = std::min(1.0, area.height() / image.height());
    double scale = std::min(across, down);
    if (image.height() * across > kLongImage * area.height())
        scale = std::min(1.0, (area.width() - scrollBarExtent) / image.width());
    else if (image.width() * down > kLongImage * area.width())
        scale = std::min(1.0, (area.height() - scrollBarExtent) / image.height());
    return QSize(std::max(1, int(std::floor(image.width() * scale))),
                 std::max(1, int(std::floor(image.height() * scale))));
}

}  // namespace klipo
