#include "recognition/ResultActions.h"

#include "app/CaptureHUDController.h"
#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "platform/Clipboard.h"
#include "platform/DesktopNotifier.h"
#include "platform/PlatformServices.h"
#include "tools/PinWindow.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUuid>

namespace klipo {

namespace ResultActions {

void copyImage(const QImage& image)
{
    if (image.isNull()) return;
    if (platform::Clipboard* clipboard = platform::services().clipboard) clipboard->setImage(image);
}

void copyText(const QString& text)
{
    if (platform::Clipboard* clipboard = platform::services().clipboard) clipboard->setText(text);
}

void pin(const QImage& image)
{
    if (!image.isNull()) PinWindowController::pin(image);
}

QString writePng(const QImage& image, const QString& path)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) return QStringLiteral("无法把图片编码为 PNG");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
        return QStringLiteral("无法写入 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

QString proposedSavePath()
{
    return QDir(Settings::plainCaptureDirectory()).filePath(PrefsFileNameTemplate::currentBaseName() +
                                                            QStringLiteral(".png"));
}

void saveImage(const QImage& image, const std::function<QString(const QString&)>& chooseSavePath)
{
    if (image.isNull() || !chooseSavePath) return;
    const QString path = chooseSavePath(proposedSavePath());
    if (path.isEmpty()) return;
    const QString error = writePng(image, path);
    if (!error.isEmpty()) CaptureHUDController::shared().show(QStringLiteral("图片保存失败"), error);
}

}  // namespace ResultActions

ResultPreviewFiles::ResultPreviewFiles(QObject* parent) : QObject(parent)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &ResultPreviewFiles::removeAll);
}

ResultPreviewFiles::~ResultPreviewFiles() { removeAll(); }

void ResultPreviewFiles::open(const QImage& image)
{
    if (image.isNull()) return;
    platform::FileViewer* viewer = platform::services().files;
    if (!m_files.isEmpty() && m_lastImageKey == image.cacheKey() && QFile::exists(m_files.last())) {
        if (viewer) viewer->open(m_files.last());
        return;
    }
    const QString name = QStringLiteral("KlipoVersa-%1.png").arg(QUuid::createUuid().toString(QUuid::Id128).left(6));
    const QString path = QDir(QDir::tempPath()).filePath(name);
    const QString error = ResultActions::writePng(image, path);
    if (!error.isEmpty()) {
        CaptureHUDController::shared().show(QStringLiteral("无法放大查看"), error);
        return;
    }
    m_files << path;
    m_lastImageKey = image.cacheKey();
    if (viewer) viewer->open(path);
}

void ResultPreviewFiles::removeAll()
{
    for (const QString& path : std::as_const(m_files)) QFile::remove(path);
    m_files.clear();
    m_lastImageKey = 0;
}

}  // namespace klipo
