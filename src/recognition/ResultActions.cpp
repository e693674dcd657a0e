#include "recognition/ResultActions.h"

#include "app/CaptureHUDController.h"
#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "platform/Clipboard.h"
#include "platform/SafeFile.h"
#include "platform/DesktopNotifier.h"
#include "platform/PlatformServices.h"
#include "tools/PinWindow.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUuid>

namespace klipo {

namespace ResultActions {

QString copyImage(const QImage& image)
{
    platform::Clipboard* clipboard = platform::services().clipboard;
    if (image.isNull() || !clipboard) return QStringLiteral("无法使用剪贴板");
    // Another program may keep the clipboard from us: the copy counts only when we hold it afterwards.
    if (!clipboard->copyImage(image, {})) return QStringLiteral("剪贴板没有接受这张图片");
    return {};
}

QString copyText(const QString& text)
{
    platform::Clipboard* clipboard = platform::services().clipboard;
    if (!clipboard) return QStringLiteral("无法使用剪贴板");
    clipboard->setText(text);
    if (clipboard->text() != text) return QStringLiteral("剪贴板没有接受这段译文");
    return {};
}

QString pin(const QImage& image)
{
    if (!PinWindowController::pin(image)) return QStringLiteral("图片是空的，无法钉在桌面");
    return {};
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
    return Settings::saveDialogPath(PrefsFileNameTemplate::currentBaseName() + QStringLiteral(".png"));
}

QString saveImage(const QImage& image, const std::function<QString(const QString&)>& chooseSavePath)
{
    if (image.isNull() || !chooseSavePath) return QStringLiteral("没有可保存的图片");
    const QString path = chooseSavePath(proposedSavePath());
    if (path.isEmpty()) return {};
    return writePng(image, path);
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
    auto fail = [](const QString& reason) {
        CaptureHUDController::shared().show(QStringLiteral("无法放大查看"), reason);
    };
    auto show = [fail](const QString& path) {
        platform::FileViewer* viewer = platform::services().files;
        if (!viewer) {
            fail(QStringLiteral("没有找到可以打开这种图片的程序"));
            return;
        }
        viewer->openOrExplain(path, fail);
    };
    if (!m_files.isEmpty() && m_lastImageKey == image.cacheKey() && QFile::exists(m_files.last())) {
        show(m_files.last());
        return;
    }
    if (!m_folder || !m_folder->isValid()) {
        // mkdtemp: a new folder that only this user can enter.
        m_folder = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(QStringLiteral("klipoversa-XXXXXX")));
        if (!m_folder->isValid()) {
            const QString reason = m_folder->errorString();
            m_folder.reset();
            fail(QStringLiteral("无法创建临时文件夹：") + reason);
            return;
        }
    }
    const QString name = QStringLiteral("KlipoVersa-%1.png").arg(QUuid::createUuid().toString(QUuid::Id128).left(6));
    const QString path = m_folder->filePath(name);
    // Made private from its first byte: the picture is of the user's screen.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) {
        fail(QStringLiteral("无法把图片编码为 PNG"));
        return;
    }
    if (const auto written = platform::safefile::writeFile(path, png, 0600); !written) {
        fail(QStringLiteral("无法写入 %1：%2").arg(QDir::toNativeSeparators(path), written.error));
        return;
    }
    m_files << path;
    m_lastImageKey = image.cacheKey();
    show(path);
}

void ResultPreviewFiles::removeAll()
{
    for (const QString& path : std::as_const(m_files)) QFile::remove(path);
    m_files.clear();
    m_lastImageKey = 0;
    m_folder.reset();  // removes the folder and anything left in it
}

}  // namespace klipo
