#include "tools/QuickCaptureOutput.h"

#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "platform/SerialQueue.h"
#include "stores/HistoryStore.h"
#include "tools/CaptureTextIndex.h"
#include "tools/CaptureFiles.h"
#include "tools/CaptureReport.h"
#include "tools/QuickBarcodeDetector.h"
#include "tools/QuickBarcodePanel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThreadPool>
#include <QTimer>

namespace klipo::QuickCaptureOutput {

Options Options::current()
{
    Options o;
    o.directory = Settings::plainCaptureDirectory();
    o.format = Settings::plainCaptureFormat();
    o.copyToClipboard = Settings::plainCaptureCopyToClipboard();
    o.showHUD = Settings::plainCaptureShowHUD();
    o.saveHistory = Settings::saveHistory();
    return o;
}

void deliver(const QImage& image, bool detectBarcode, std::optional<qint64> clipboardByteLimit,
             const QString& noteSuffix)
{
    deliver(image, Request{detectBarcode, clipboardByteLimit, noteSuffix}, Options::current());
}

void deliver(const QImage& image, const Request& request, const Options& options)
{
    QThreadPool::globalInstance()->start([image, request, options] {
        Result result = prepare(image, request, options);
        platform::runOnMain([result = std::move(result), request, options] { report(result, request, options); });
    });
}

Result prepare(const QImage& image, const Request& request, const Options& options)
{
    Result result;
    result.image = image;
    result.image.setDevicePixelRatio(1.0);
    result.thumbnail = CaptureReport::thumbnail(result.image);
    const QByteArray data = CaptureFiles::encode(result.image, options.format);
    if (data.isEmpty()) {
        result.error = QStringLiteral("图片编码失败");
    } else {
        const CaptureFiles::WriteResult written = CaptureFiles::writeNewFile(
            options.directory, PrefsFileNameTemplate::currentBaseName(), fileExtension(options.format), data);
        result.filePath = written.path;
        result.error = written.error;
    }
    if (request.detectBarcode) result.codes = QuickBarcodeDetector::detect(result.image);
    result.tooLargeForClipboard = options.copyToClipboard && request.clipboardByteLimit && !data.isEmpty() &&
                                  data.size() > *request.clipboardByteLimit;
    if (options.format == CaptureFileFormat::png && !result.tooLargeForClipboard) result.png = data;
    return result;
}

void report(const Result& result, const Request& request, const Options& options)
{
    const bool copied = options.copyToClipboard && !result.tooLargeForClipboard &&
                        CaptureReport::copyToClipboard(result.image, result.png);
    if (result.filePath.isEmpty()) {
        // Shown even with the toast switched off; no history and no codes for
        // a capture that is not in the folder.
        CaptureReport::show(CaptureReport::saveFailed(result.error, copied));
        return;
    }
    if (options.showHUD) {
        const std::optional<qint64> refused =
            result.tooLargeForClipboard ? request.clipboardByteLimit : std::nullopt;
        CaptureReport::show(CaptureReport::delivered(copied, Settings::plainCaptureDirectoryDisplayName(),
                                                     QFileInfo(result.filePath).fileName(), refused,
                                                     request.noteSuffix),
                            result.thumbnail, result.filePath);
    }
    const QString title = QFileInfo(result.filePath).completeBaseName();
    if (options.saveHistory && options.indexText)
        CaptureTextIndex::saveToHistory(result.image, title);
    else if (options.saveHistory)
        HistoryStore::shared().save(result.image, std::nullopt, title, QString(), Settings::targetLanguage());
    if (!result.codes.isEmpty())
        QTimer::singleShot(barcodePanelDelayMs, QCoreApplication::instance(),
                           [codes = result.codes] { QuickBarcodePanelController::shared().show(codes); });
}

}  // namespace klipo::QuickCaptureOutput
