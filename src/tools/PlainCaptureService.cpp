#include "tools/PlainCaptureService.h"

#include "app/CaptureFailure.h"
#include "app/PrefsCaptureFeedback.h"
#include "app/PrefsCaptureRunner.h"
#include "app/PrefsFileNameTemplate.h"
#include "app/ScreenshotRun.h"
#include "app/Settings.h"
#include "platform/CapturePermission.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenMetrics.h"
#include "platform/SerialQueue.h"
#include "tools/CaptureFiles.h"
#include "tools/CaptureTextIndex.h"
#include "tools/CaptureReport.h"
#include "tools/PlainCaptureOverlay.h"

#include <QFileInfo>
#include <QThreadPool>

namespace klipo::PlainCaptureService {

namespace {

std::shared_ptr<PlainCaptureOverlay>& overlaySlot()
{
    static std::shared_ptr<PlainCaptureOverlay> overlay;
    return overlay;
}

void saveToHistory(const QImage& image, const QString& filePath)
{
    CaptureTextIndex::saveToHistory(image, filePath.isEmpty() ? PrefsFileNameTemplate::currentBaseName()
                                                              : QFileInfo(filePath).completeBaseName());
}

}  // namespace

Options Options::current()
{
    Options o;
    o.directory = Settings::plainCaptureDirectory();
    o.format = Settings::plainCaptureFormat();
    o.copyToClipboard = Settings::plainCaptureCopyToClipboard();
    o.showHUD = Settings::plainCaptureShowHUD();
    o.saveHistory = Settings::saveHistory();
    o.autoSave = Settings::autoSaveCapture();
    o.includeCursor = Settings::captureIncludeCursor();
    o.scaleRetinaTo1x = Settings::captureScaleRetinaTo1x();
    const platform::ScreenMetrics* screens = platform::services().screens;
    const auto primary = screens ? screens->primaryScreen() : std::nullopt;
    o.screenScale = primary ? primary->devicePixelRatio : 1.0;
    return o;
}

void setOverlay(std::shared_ptr<PlainCaptureOverlay> overlay) { overlaySlot() = std::move(overlay); }

void setTextIndexer(TextIndexer indexer) { CaptureTextIndex::setIndexer(std::move(indexer)); }

void start(CaptureService::Mode mode, std::function<void()> onPermissionDenied)
{
    platform::CapturePermission* permission = platform::services().permission;
    if (!permission || !permission->canCapture()) {
        if (permission) permission->request();
        if (onPermissionDenied) onPermissionDenied();
        return;
    }
    const std::shared_ptr<PlainCaptureOverlay> overlay = overlaySlot();
    if (mode == CaptureService::Mode::interactive && overlay && Settings::selCaptureOverlayEnabled()) {
        if (overlay->isActive())
            overlay->close();
        else
            overlay->beginCopy();
        return;
    }
    const Options options = Options::current();
    platform::CaptureOptions capture;
    capture.interactive = mode == CaptureService::Mode::interactive;
    capture.includeCursor = options.includeCursor;
    ScreenshotRun::start(capture, [options](platform::CaptureOutcome outcome) { handleCapture(outcome, options); });
}

void handleCapture(const platform::CaptureOutcome& capture, const Options& options)
{
    if (!capture.ok()) {
        reportCaptureFailure(capture);  // a cancel stays silent
        return;
    }
    QThreadPool::globalInstance()->start([image = capture.image, scale = capture.scale, options] {
        Outcome outcome = persist(image, scale, options);
        platform::runOnMain([outcome = std::move(outcome), options] { finish(outcome, options); });
    });
}

Outcome persist(const QImage& captured, double captureScale, const Options& options)
{
    Outcome outcome;
    // The screen the picture came from decides how many pixels make a point.
    const double factor = captureScale > 0 ? captureScale : options.screenScale;
    outcome.image = options.scaleRetinaTo1x ? PrefsCaptureRunner::downscale(captured, factor) : captured;
    outcome.image.setDevicePixelRatio(1.0);
    outcome.thumbnail = CaptureReport::thumbnail(outcome.image);
    if (!options.autoSave) {
        outcome.saved = true;
        return outcome;
    }
    const QByteArray data = CaptureFiles::encode(outcome.image, options.format);
    if (data.isEmpty()) {
        outcome.message = QStringLiteral("图片编码失败");
        return outcome;
    }
    const CaptureFiles::WriteResult written = CaptureFiles::writeNewFile(
        options.directory, PrefsFileNameTemplate::currentBaseName(), fileExtension(options.format), data);
    if (options.format == CaptureFileFormat::png) outcome.png = data;
    outcome.saved = written.error.isEmpty();
    outcome.filePath = written.path;
    outcome.message = written.error;
    return outcome;
}

void finish(const Outcome& outcome, const Options& options)
{
    const bool copied = options.copyToClipboard && CaptureReport::copyToClipboard(outcome.image, outcome.png);
    if (!outcome.saved) {
        // Reported even with the toast switched off; the picture is not lost
        // when it reached the clipboard.
        CaptureReport::show(CaptureReport::saveFailed(outcome.message, copied));
        return;
    }
    if (options.showHUD) {
        const QString fileName = outcome.filePath.isEmpty() ? QString() : QFileInfo(outcome.filePath).fileName();
        CaptureReport::show(CaptureReport::plainFinished(!outcome.filePath.isEmpty(), copied,
                                                         Settings::plainCaptureDirectoryDisplayName(), fileName),
                            outcome.thumbnail, outcome.filePath);
    }
    PrefsCaptureFeedback::finishCapture(outcome.filePath.isEmpty() ? std::nullopt
                                                                   : std::optional<QString>(outcome.filePath));
    if (options.saveHistory) saveToHistory(outcome.image, outcome.filePath);
}

}  // namespace klipo::PlainCaptureService
