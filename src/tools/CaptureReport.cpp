#include "tools/CaptureReport.h"

#include "app/CaptureHUDController.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"

namespace klipo::CaptureReport {

namespace {
const QString notSaved = QStringLiteral("未保存到文件夹（已关闭自动保存）");

QString place(const QString& folderName, const QString& fileName) { return folderName + QStringLiteral(" · ") + fileName; }
}  // namespace

Toast plainFinished(bool fileWritten, bool copied, const QString& folderName, const QString& fileName)
{
    if (fileWritten)
        return {copied ? QStringLiteral("截图已保存并复制") : QStringLiteral("截图已保存"), place(folderName, fileName)};
    return {copied ? QStringLiteral("截图已复制到剪贴板") : QStringLiteral("截图已完成"), notSaved};
}

Toast saveFailed(const QString& reason, bool copied)
{
    const QString text = reason.isEmpty() ? QStringLiteral("未知原因") : reason;
    return {QStringLiteral("截图保存失败"), copied ? text + QStringLiteral("；图片已复制到剪贴板") : text};
}

Toast delivered(bool copied, const QString& folderName, const QString& fileName,
                std::optional<qint64> refusedForLimit, const QString& note)
{
    QString subtitle = place(folderName, fileName);
    if (refusedForLimit)
        subtitle += QStringLiteral("；图片超过 ") + sizeText(*refusedForLimit) + QStringLiteral("，未复制到剪贴板");
    if (!note.isEmpty()) subtitle += QStringLiteral("；") + note;
    return {copied ? QStringLiteral("截图已保存并复制") : QStringLiteral("截图已保存"), subtitle};
}

QString sizeText(qint64 bytes)
{
    constexpr qint64 kb = 1024;
    constexpr qint64 mb = 1024 * kb;
    if (bytes >= mb) return QString::number(bytes / mb) + QStringLiteral("MB");
    if (bytes >= kb) return QString::number(bytes / kb) + QStringLiteral("KB");
    return QString::number(std::max<qint64>(bytes, 0)) + QStringLiteral("B");
}

QImage thumbnail(const QImage& image)
{
    // Twice the toast's 76 by 56 frame, drawn at two pixels per point.
    const QSize box(152, 112);
    if (image.isNull() || (image.width() <= box.width() && image.height() <= box.height())) return image;
    QImage small = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    small.setDevicePixelRatio(2.0);
    return small;
}

bool copyToClipboard(const QImage& image, const QByteArray& knownPng)
{
    platform::Clipboard* clipboard = platform::services().clipboard;
    return clipboard && clipboard->copyImage(image, knownPng);
}

void show(const Toast& toast, const QImage& thumbnail, const QString& filePath)
{
    CaptureHUDController::shared().show(toast.title, toast.subtitle, thumbnail, filePath, toastSeconds);
}

}  // namespace klipo::CaptureReport
