#include "tools/QuickCaptureService.h"

#include "app/CaptureFailure.h"
#include "app/ScreenshotRun.h"
#include "platform/CapturePermission.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"
#include "stores/HistoryStore.h"
#include "tools/CaptureReport.h"
#include "tools/PlainCaptureService.h"
#include "tools/QuickArea.h"
#include "tools/QuickAreaSelection.h"
#include "tools/QuickBarcodeDetector.h"
#include "tools/QuickBarcodePanel.h"
#include "tools/QuickCaptureOutput.h"
#include "tools/QuickCountdown.h"
#include "tools/QuickPreviewPanel.h"
#include "tools/QuickRegionCapture.h"
#include "tools/QuickSettings.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

namespace klipo {

std::function<void()> QuickCaptureService::onPermissionDenied;
std::function<void(std::optional<int>)> QuickCaptureService::onCountdownTick;

namespace {

void reportTick(std::optional<int> seconds)
{
    if (QuickCaptureService::onCountdownTick) QuickCaptureService::onCountdownTick(seconds);
}

}  // namespace

bool QuickCaptureService::checkPermission()
{
    platform::CapturePermission* permission = platform::services().permission;
    if (permission && permission->canCapture()) return true;
    if (permission) permission->request();
    if (onPermissionDenied) onPermissionDenied();
    return false;
}

void QuickCaptureService::startDelayedCapture(std::optional<int> seconds)
{
    QuickCountdown& countdown = QuickCountdown::shared();
    if (countdown.isRunning()) {
        countdown.cancel();
        return;
    }
    if (!checkPermission()) return;
    int delay = Settings::quickDelaySeconds();
    if (seconds) {
        delay = *seconds;
        if (Settings::quickDelayOptions().contains(delay)) Settings::setQuickDelaySeconds(delay);
    }
    countdown.start(delay, reportTick, [] {
        reportTick(std::nullopt);
        QTimer::singleShot(captureDelayMs, QCoreApplication::instance(), [] {
            PlainCaptureService::start(CaptureService::Mode::interactive, QuickCaptureService::onPermissionDenied);
        });
    });
}

void QuickCaptureService::captureLastArea()
{
    const std::optional<QRectF> area = Settings::quickLastCaptureArea();
    if (!checkPermission()) return;
    if (area) {
        captureRememberedArea(*area);
        return;
    }
    QuickAreaSelectionController::shared().begin(rememberAndCapture);
}

void QuickCaptureService::selectAreaAndRemember()
{
    if (!checkPermission()) return;
    QuickAreaSelectionController::shared().begin(rememberAndCapture);
}

void QuickCaptureService::rememberAndCapture(std::optional<QRectF> globalArea)
{
    if (!globalArea) return;
    const platform::ScreenMetrics* metrics = platform::services().screens;
    const std::optional<platform::ScreenInfo> primary = metrics ? metrics->primaryScreen() : std::nullopt;
    const QRectF stored = QuickArea::toStored(*globalArea, primary ? primary->geometry : QRect());
    Settings::setQuickLastCaptureArea(stored);
    captureRememberedArea(stored);
}

void QuickCaptureService::captureRememberedArea(const QRectF& storedArea)
{
    // The stored area stays as it is whatever happens here.
    QTimer::singleShot(areaCaptureDelayMs, QCoreApplication::instance(), [storedArea] {
        QuickRegionCapture::capture(storedArea, [](platform::CaptureOutcome outcome) {
            if (!outcome.ok()) {
                reportCaptureFailure(outcome);
                return;
            }
            QuickCaptureOutput::deliver(outcome.image, true, std::nullopt, QString());
        });
    });
}

void QuickCaptureService::showLastCapture()
{
    HistoryStore* store = &HistoryStore::shared();  // made here, on the main thread, if it is not yet
    QThreadPool::globalInstance()->start([store] {
        const QList<HistoryRecord> records = store->allRecords();
        std::optional<HistoryRecord> newest;
        if (!records.isEmpty()) newest = records.first();
        platform::runOnMain([newest] {
            if (!newest) {
                CaptureReport::show({QStringLiteral("还没有截图记录"), QStringLiteral("截一张之后就能在这里回溯了")});
                return;
            }
            HistoryStore::shared().loadImage(*newest, [date = newest->date](const QImage& image) {
                if (image.isNull()) {
                    CaptureReport::show(
                        {QStringLiteral("图片已丢失"), QStringLiteral("历史记录里的图片文件读不出来了")});
                    return;
                }
                QuickPreviewPanelController::shared().show(image, QuickPreviewPanelController::titleFor(date));
            });
        });
    });
}

void QuickCaptureService::detectBarcodeFromSelection()
{
    if (!checkPermission()) return;
    platform::CaptureOptions options;
    options.interactive = true;
    ScreenshotRun::start(options, [](platform::CaptureOutcome outcome) {
        if (!outcome.ok()) {
            reportCaptureFailure(outcome);  // a cancel stays silent
            return;
        }
        QThreadPool::globalInstance()->start([image = outcome.image] {
            const QStringList codes = QuickBarcodeDetector::detect(image);
            platform::runOnMain([codes] {
                if (!codes.isEmpty()) {
                    QuickBarcodePanelController::shared().show(codes);
                    return;
                }
                CaptureReport::show({QStringLiteral("没有发现二维码"), QStringLiteral("换个更清晰、更完整的区域再试试")});
            });
        });
    });
}

}  // namespace klipo
