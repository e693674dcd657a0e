#include "scroll/ScrollDelivery.h"

#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "platform/SerialQueue.h"
#include "tools/CaptureFiles.h"
#include "tools/CaptureReport.h"

#include <QDir>
#include <QFileInfo>
#include <QThreadPool>

namespace klipo::ScrollDelivery {

namespace {

QString joined(const QString& first, const QString& second)
{
    if (first.isEmpty()) return second;
    if (second.isEmpty()) return first;
    return first + QStringLiteral("；") + second;
}

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// The capture folder refused the file: the rescued copy or the clipboard.
void reportNotInFolder(const QuickCaptureOutput::Result& result, const QString& rescuedPath,
                       const QuickCaptureOutput::Options& options)
{
    const QString reason = result.error.isEmpty() ? QStringLiteral("未知原因") : result.error;
    if (!rescuedPath.isEmpty()) {
        const bool copied = options.copyToClipboard && !result.tooLargeForClipboard &&
                            CaptureReport::copyToClipboard(result.image, result.png);
        CaptureReport::show({QStringLiteral("长截图未能存入截图文件夹"),
                             reason + QStringLiteral("；已改存到 ") + shown(rescuedPath) +
                                 (copied ? QStringLiteral("，并已复制到剪贴板") : QString())},
                            {}, rescuedPath);
        return;
    }
    // Nowhere on disk: the clipboard is the last place it can go, whatever
    // its size and the copy setting.
    const bool copied = CaptureReport::copyToClipboard(result.image, result.png);
    CaptureReport::show({QStringLiteral("长截图保存失败"),
                         reason + (copied ? QStringLiteral("；图片已复制到剪贴板，请尽快粘贴保存")
                                          : QStringLiteral("；也无法复制到剪贴板"))});
}

// Saved, copied and recorded like any capture; the toast warns instead.
void reportInexact(const QuickCaptureOutput::Result& result, const QuickCaptureOutput::Request& request,
                   QuickCaptureOutput::Options options, int inexactSeams)
{
    options.showHUD = false;
    QuickCaptureOutput::report(result, request, options);
    const std::optional<qint64> refused = result.tooLargeForClipboard ? request.clipboardByteLimit : std::nullopt;
    CaptureReport::show(inexactToast(inexactSeams, Settings::plainCaptureDirectoryDisplayName(),
                                     QFileInfo(result.filePath).fileName(), refused, request.noteSuffix),
                        result.thumbnail, result.filePath);
}

}  // namespace

CaptureReport::Toast inexactToast(int inexactSeams, const QString& folderName, const QString& fileName,
                                  std::optional<qint64> refusedForLimit, const QString& note)
{
    // Where it went as for any capture, after the warning.
    const CaptureReport::Toast saved = CaptureReport::delivered(false, folderName, fileName, refusedForLimit, note);
    return {QStringLiteral("长截图可能拼接有误"),
            QStringLiteral("%1 处接缝未能对齐，请核对；").arg(inexactSeams) + saved.subtitle};
}

Choice choose(const QImage& image, QuickCaptureOutput::Options options)
{
    Choice choice{std::move(options), {}};
    if (choice.options.format == CaptureFileFormat::jpeg && image.height() > jpegMaxRows) {
        choice.options.format = CaptureFileFormat::png;
        choice.note = QStringLiteral("长图超过 JPEG 的 %1 行上限，已存为 PNG").arg(jpegMaxRows);
    }
    return choice;
}

void deliver(const QImage& image, const QString& noteSuffix, int inexactSeams)
{
    deliver(image, noteSuffix, QuickCaptureOutput::Options::current(), inexactSeams);
}

void deliver(const QImage& image, const QString& noteSuffix, const QuickCaptureOutput::Options& options,
             int inexactSeams)
{
    const Choice choice = choose(image, options);
    const QuickCaptureOutput::Request request{false, clipboardByteLimit, joined(choice.note, noteSuffix)};
    QThreadPool::globalInstance()->start([image, request, options = choice.options, inexactSeams] {
        QuickCaptureOutput::Result result = QuickCaptureOutput::prepare(image, request, options);
        QString rescued;
        if (result.filePath.isEmpty()) rescued = writeRescueCopy(result.image, QDir::tempPath(), nullptr);
        platform::runOnMain([result = std::move(result), rescued, request, options, inexactSeams] {
            if (result.filePath.isEmpty())
                reportNotInFolder(result, rescued, options);
            else if (inexactSeams > 0)
                reportInexact(result, request, options, inexactSeams);
            else
                QuickCaptureOutput::report(result, request, options);
        });
    });
}

QString writeRescueCopy(const QImage& image, const QString& folder, QString* error)
{
    const QByteArray data = CaptureFiles::encode(image, CaptureFileFormat::png);
    if (data.isEmpty()) {
        if (error) *error = QStringLiteral("图片编码失败");
        return {};
    }
    const CaptureFiles::WriteResult written =
        CaptureFiles::writeNewFile(folder, PrefsFileNameTemplate::currentBaseName(), QStringLiteral("png"), data);
    if (error) *error = written.error;
    return written.path;
}

Saved saveNow(const QImage& image, const QuickCaptureOutput::Options& options)
{
    const Choice choice = choose(image, options);
    Saved saved;
    const QByteArray data = CaptureFiles::encode(image, choice.options.format);
    if (data.isEmpty()) {
        saved.error = QStringLiteral("图片编码失败");
    } else {
        const CaptureFiles::WriteResult written =
            CaptureFiles::writeNewFile(choice.options.directory, PrefsFileNameTemplate::currentBaseName(),
                                       fileExtension(choice.options.format), data);
        if (!written.path.isEmpty()) {
            saved.path = written.path;
            return saved;
        }
        saved.error = written.error;
    }
    saved.path = writeRescueCopy(image, QDir::tempPath(), nullptr);
    saved.inTemporaryFolder = !saved.path.isEmpty();
    return saved;
}

Notice quitNotice(const Saved& saved, int inexactSeams)
{
    if (saved.path.isEmpty())
        return {QStringLiteral("长截图未能保存"), saved.error.isEmpty() ? QStringLiteral("未知原因") : saved.error};
    if (saved.inTemporaryFolder)
        return {QStringLiteral("长截图已存到临时文件夹"),
                saved.error + QStringLiteral("；退出前已改存到 ") + shown(saved.path)};
    if (inexactSeams > 0)
        return {QStringLiteral("长截图可能拼接有误"),
                QStringLiteral("%1 处接缝未能对齐，请核对；退出前已保存到 ").arg(inexactSeams) + shown(saved.path)};
    return {QStringLiteral("长截图已保存"), QStringLiteral("退出前已保存到 ") + shown(saved.path)};
}

}  // namespace klipo::ScrollDelivery
