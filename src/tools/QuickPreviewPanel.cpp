#include "tools/QuickPreviewPanel.h"

#include "app/Settings.h"
#include "platform/Clipboard.h"
#include "platform/DesktopNotifier.h"
#include "platform/FileDialogs.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenMetrics.h"
#include "platform/WindowPlacement.h"
#include "platform/WindowRoles.h"
#include "tools/CaptureFiles.h"
#include "tools/CaptureReport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace klipo {

// Shows the image scaled to fit, up or down, keeping its proportions, with
// rounded corners.
class PreviewImageView final : public QWidget {
public:
    using QWidget::QWidget;
    void setImage(const QImage& image)
    {
        m_image = image;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_image.isNull()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::Antialiasing);
        const QSizeF fitted = m_image.deviceIndependentSize().scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        QPainterPath clip;
        clip.addRoundedRect(target, 6, 6);
        painter.setClipPath(clip);
        painter.drawImage(target, m_image);
    }

private:
    QImage m_image;
};

namespace {

QString chooseWithDialog(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("另存为"), Settings::saveDialogFolder());
    platform::prepareSavePng(dialog, Settings::saveDialogPath(QStringLiteral("截图.png")));
    // In Chinese also where Qt's own translation is not loaded.
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("位置："));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("类型："));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("保存"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QByteArray pngData(const QImage& image)
{
    if (image.isNull()) return {};
    QByteArray data;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
    return data;
}

}  // namespace

QuickPreviewPanelController& QuickPreviewPanelController::shared()
{
    static auto* controller = new QuickPreviewPanelController;
    return *controller;
}

QuickPreviewPanelController::QuickPreviewPanelController() : chooseSavePath(chooseWithDialog)
{
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QuickPreviewPanelController::removeTemporaryFiles);
}

QuickPreviewPanelController::~QuickPreviewPanelController() { removeTemporaryFiles(); }

QString QuickPreviewPanelController::titleFor(const QDateTime& date)
{
    return QStringLiteral("上一次截图 · ") +
           QLocale(QLocale::Chinese, QLocale::China).toString(date.toLocalTime(), QStringLiteral("MM-dd HH:mm"));
}

QSize QuickPreviewPanelController::contentSize(const QSizeF& imagePt, const std::optional<QRect>& visibleFrame)
{
    const double maxWidth = visibleFrame ? visibleFrame->width() * 0.8 : 1152;
    const double maxHeight = visibleFrame ? visibleFrame->height() * 0.8 - 60 : 660;
    const double width = std::max(imagePt.width(), 1.0);
    const double height = std::max(imagePt.height(), 1.0);
    const double s = std::min({maxWidth / width, maxHeight / height, 1.0});
    return {int(std::lround(std::max(width * s, 420.0))), int(std::lround(height * s + 52))};
}

void QuickPreviewPanelController::ensurePanel()
{
    if (m_panel) return;
    auto* panel = new QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                                           Qt::WindowCloseButtonHint);
    platform::applyWindowRole(panel, platform::WindowRole::floating);
    panel->setAttribute(Qt::WA_QuitOnClose, false);
    panel->setWindowTitle(QStringLiteral("上一次截图"));
    panel->setMinimumSize(380, 240);
    panel->resize(520, 400);

    m_imageView = new PreviewImageView(panel);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    const auto addButton = [&](const QString& title, void (QuickPreviewPanelController::*action)()) {
        auto* button = new QPushButton(title, panel);
        connect(button, &QPushButton::clicked, this, action);
        buttons->addWidget(button);
    };
    addButton(QStringLiteral("复制图片"), &QuickPreviewPanelController::copyImage);
    addButton(QStringLiteral("另存为…"), &QuickPreviewPanelController::saveImage);
    addButton(QStringLiteral("用看图程序打开"), &QuickPreviewPanelController::openInViewer);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(m_imageView, 1);
    layout->addLayout(buttons);
    m_panel = panel;
}

void QuickPreviewPanelController::show(const QImage& image, const QString& title)
{
    m_image = image;
    ensurePanel();
    m_panel->setWindowTitle(title);
    m_imageView->setImage(image);
    const platform::ScreenMetrics* metrics = platform::services().screens;
    const std::optional<platform::ScreenInfo> screen = metrics ? metrics->primaryScreen() : std::nullopt;
    const std::optional<QRect> visible = screen ? std::optional<QRect>(screen->availableGeometry) : std::nullopt;
    const QSize content = contentSize(image.deviceIndependentSize(), visible);
    m_panel->resize(content);
    if (visible) {
        // Centred with its frame, which the window manager adds when it shows.
        const QSize frame = platform::expectedFrameSize(m_panel);
        platform::moveInside(m_panel, visible->center() - QPoint(frame.width() / 2, frame.height() / 2), *visible);
    }
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
}

void QuickPreviewPanelController::copyImage()
{
    if (m_image.isNull()) return;
    if (platform::Clipboard* clipboard = platform::services().clipboard) clipboard->copyImage(m_image, {});
}

void QuickPreviewPanelController::saveImage()
{
    const QByteArray data = pngData(m_image);
    if (data.isEmpty() || !chooseSavePath) return;
    const QString path = chooseSavePath(m_panel);
    if (path.isEmpty()) return;
    const QString error = CaptureFiles::writeFileAt(path, data);
    if (!error.isEmpty()) CaptureReport::show({QStringLiteral("保存失败"), error});
}

void QuickPreviewPanelController::openInViewer()
{
    const QByteArray data = pngData(m_image);
    if (data.isEmpty()) return;
    if (!m_temporary) {
        m_temporary = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/klipoversa-preview-XXXXXX"));
        if (!m_temporary->isValid()) {
            const QString reason = m_temporary->errorString();
            m_temporary.reset();
            CaptureReport::show({QStringLiteral("无法打开图片"), QStringLiteral("临时文件夹建不起来：") + reason});
            return;
        }
    }
    // Created exclusively under a name no other file has, so nothing is overwritten.
    QTemporaryFile file(m_temporary->filePath(QStringLiteral("KlipoVersa-回溯-XXXXXX.png")));
    file.setAutoRemove(false);
    if (!file.open() || file.write(data) != data.size() || !file.flush()) {
        const QString reason = file.errorString();
        if (!file.fileName().isEmpty()) file.remove();
        CaptureReport::show({QStringLiteral("无法打开图片"), QStringLiteral("临时文件写不进去：") + reason});
        return;
    }
    const QString path = file.fileName();
    file.close();
    const auto fail = [](const QString& reason) { CaptureReport::show({QStringLiteral("无法打开图片"), reason}); };
    platform::FileViewer* files = platform::services().files;
    if (!files) return fail(QStringLiteral("没有找到可以打开这种图片的程序"));
    files->openOrExplain(path, fail);
}

QString QuickPreviewPanelController::temporaryFolder() const { return m_temporary ? m_temporary->path() : QString(); }

void QuickPreviewPanelController::removeTemporaryFiles() { m_temporary.reset(); }

}  // namespace klipo
