#include "tools/QuickCaptureService.h"

#include "app/CaptureFailure.h"
#include "app/FeaturePending.h"
#include "app/ScreenshotRun.h"
#include "platform/CapturePermission.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"
#include "tools/CaptureReport.h"
#include "tools/PlainCaptureService.h"
#include "tools/QuickBarcodeDetector.h"
#include "tools/QuickBarcodePanel.h"
#include "tools/QuickColorPicker.h"
#include "tools/QuickCountdown.h"
#include "tools/QuickSettings.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QThreadPool>
#include <QTimer>

namespace klipo {

std::function<void()> QuickCaptureService::onPermissionDenied;
std::function<void(std::optional<int>)> QuickCaptureService::onCountdownTick;

namespace {

// Screen access, or the request and the shell's callback.
bool mayCapture()
{
    platform::CapturePermission* permission = platform::services().permission;
    if (permission && permission->canCapture()) return true;
    if (permission) permission->request();
    if (QuickCaptureService::onPermissionDenied) QuickCaptureService::onPermissionDenied();
    return false;
}

void reportTick(std::optional<int> seconds)
{
    if (QuickCaptureService::onCountdownTick) QuickCaptureService::onCountdownTick(seconds);
}

}  // namespace

void QuickCaptureService::startDelayedCapture(std::optional<int> seconds)
{
    QuickCountdown& countdown = QuickCountdown::shared();
    if (countdown.isRunning()) {
        countdown.cancel();
        return;
    }
    if (!mayCapture()) return;
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

void QuickCaptureService::captureLastArea() { showFeaturePending(QStringLiteral("截取上一次区域")); }

void QuickCaptureService::detectBarcodeFromSelection()
{
    if (!mayCapture()) return;
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

QuickCaptureMenuProvider& QuickCaptureMenuProvider::shared()
{
    static QuickCaptureMenuProvider provider;
    return provider;
}

QAction* QuickCaptureMenuProvider::makeMenuItem(QObject* parent)
{
    auto* menu = new QMenu(QStringLiteral("快捷截图"));
    QObject::connect(parent, &QObject::destroyed, menu, &QObject::deleteLater);
    QObject::connect(menu->addAction(QStringLiteral("延时截图")), &QAction::triggered, menu,
                     [] { QuickCaptureService::startDelayedCapture(); });
    QObject::connect(menu->addAction(QStringLiteral("截取上一次区域")), &QAction::triggered, menu,
                     [] { QuickCaptureService::captureLastArea(); });
    QObject::connect(menu->addAction(QStringLiteral("取色器")), &QAction::triggered, menu,
                     [] { QuickColorPickerController::shared().start(); });
    menu->addSeparator();
    QObject::connect(menu->addAction(QStringLiteral("识别二维码…")), &QAction::triggered, menu,
                     [] { QuickCaptureService::detectBarcodeFromSelection(); });
    return menu->menuAction();
}

}  // namespace klipo
