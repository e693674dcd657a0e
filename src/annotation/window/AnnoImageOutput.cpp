#include "annotation/window/AnnoImageOutput.h"

#include "platform/SerialQueue.h"
#include "tools/CaptureFiles.h"
#include "tools/CaptureReport.h"

#include <QFileInfo>
#include <QLocale>
#include <QThreadPool>

namespace klipo::AnnoImageOutput {

QString proposedFileName(const QDateTime& now)
{
    return QStringLiteral("标注 ") + QLocale::c().toString(now, QStringLiteral("yyyy-MM-dd HH.mm.ss")) +
           QStringLiteral(".png");
}

bool copy(const QImage& image)
{
    if (!CaptureReport::copyToClipboard(image, {})) {
        CaptureReport::show({QStringLiteral("复制失败"), QStringLiteral("剪贴板没有接收这张图片，请再试一次")});
        return false;
    }
    CaptureReport::show({QStringLiteral("标注图片已复制"), QStringLiteral("可以直接粘贴到聊天窗口或文档里")},
                        CaptureReport::thumbnail(image));
    return true;
}

void save(const QImage& image, const QString& path)
{
    QThreadPool::globalInstance()->start([image, path] {
        const QByteArray png = CaptureFiles::encode(image, CaptureFileFormat::png);
        const QString error = png.isEmpty() ? QStringLiteral("图片编码失败") : CaptureFiles::writeFileAt(path, png);
        const QImage thumbnail = error.isEmpty() ? CaptureReport::thumbnail(image) : QImage();
        platform::runOnMain([path, error, thumbnail] {
            if (!error.isEmpty()) {
                CaptureReport::show({QStringLiteral("保存失败"), error});
                return;
            }
            CaptureReport::show({QStringLiteral("标注图片已保存"), QFileInfo(path).fileName()}, thumbnail, path);
        });
    });
}

void reportComposeFailure(const QString& title)
{
    CaptureReport::show({title, QStringLiteral("无法生成标注后的图片（可能是内存不足），标注仍保留在窗口中")});
}

}  // namespace klipo::AnnoImageOutput
