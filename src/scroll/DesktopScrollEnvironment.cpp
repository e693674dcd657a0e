#include "scroll/DesktopScrollEnvironment.h"

#include "app/CaptureHUDController.h"
#include "app/SettingsReading.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "overlay/SelOverlayController.h"
#include "platform/DesktopNotifier.h"
#include "platform/PlatformServices.h"
#include "platform/RegionGrabber.h"
#include "platform/SettingsStore.h"
#include "platform/WheelScroller.h"
#include "platform/WindowShadow.h"
#include "preferences/ShortcutConflictChecker.h"
#include "scroll/ScrollStitcher.h"

#include <QScreen>

namespace klipo {

namespace {

std::function<bool()>& recordingBusyHook()
{
    static std::function<bool()> hook;
    return hook;
}

// The region's pixels through the session's grabber, without the pointer.
class GrabberFrameSource final : public ScrollFrameSource {
public:
    GrabberFrameSource(std::unique_ptr<platform::RegionGrabber> grabber, const QRect& rectPx)
        : m_grabber(std::move(grabber)), m_rectPx(rectPx)
    {
    }
    std::optional<QString> grab(QImage& frame) override { return m_grabber->grab(m_rectPx, frame, false); }

private:
    std::unique_ptr<platform::RegionGrabber> m_grabber;
    QRect m_rectPx;
};

}  // namespace

void DesktopScrollEnvironment::setRecordingBusy(std::function<bool()> busy) { recordingBusyHook() = std::move(busy); }

bool DesktopScrollEnvironment::recordingBusy()
{
    const auto& busy = recordingBusyHook();
    return busy && busy();
}

std::optional<QString> DesktopScrollEnvironment::shortcutConflict()
{
    const auto& name = GlobalShortcuts::Name::scrollCapture();
    const std::optional<GlobalShortcuts::Shortcut> shortcut = GlobalShortcuts::getShortcut(name);
    if (!shortcut) return std::nullopt;
    return ShortcutConflictChecker::check(*shortcut, name);
}

bool DesktopScrollEnvironment::overlayActive() { return SelOverlayController::shared().isActive(); }

void DesktopScrollEnvironment::beginPick(const QString& hint, std::function<void(std::optional<ScrollTarget>)> done)
{
    SelRequest request;
    request.mode = SelRequest::Mode::pickRect;
    request.hint = hint;
    request.pickRectCompletion = [done = std::move(done)](std::optional<SelPickedRect> picked) {
        if (!picked || !picked->screen) {
            done(std::nullopt);
            return;
        }
        done(ScrollTarget{picked->screenGeometry, picked->screen->devicePixelRatio(), picked->rectFromBottomLeft()});
    };
    SelOverlayController::shared().begin(std::move(request));
}

void DesktopScrollEnvironment::closePick() { SelOverlayController::shared().finish(std::nullopt, std::nullopt, true); }

std::optional<platform::NativeWindowId> DesktopScrollEnvironment::activeWindow()
{
    return platform::windowFocus().activeWindow();
}

void DesktopScrollEnvironment::activateWindow(platform::NativeWindowId window)
{
    platform::windowFocus().activateWindow(window);
}

int DesktopScrollEnvironment::storedCropTop()
{
    return SettingsReading::integer(platform::SettingsStore::shared(), QStringLiteral("scrollCropTop"), 0);
}

std::unique_ptr<ScrollFrameSource> DesktopScrollEnvironment::openFrameSource(const QRect& rectPx, QString* error)
{
    std::unique_ptr<platform::RegionGrabber> grabber = platform::createRegionGrabber(error);
    if (!grabber) return nullptr;
    if (!QRect(QPoint(0, 0), grabber->desktopSize()).intersects(rectPx)) {
        if (error) *error = QStringLiteral("选区不在任何屏幕上");
        return nullptr;
    }
    return std::make_unique<GrabberFrameSource>(std::move(grabber), rectPx);
}

std::unique_ptr<platform::WheelScroller> DesktopScrollEnvironment::openScroller()
{
    return platform::createWheelScroller();
}

int DesktopScrollEnvironment::maxCanvasHeight(int widthPx) { return ScrollStitcher::maxCanvasHeight(widthPx); }

bool DesktopScrollEnvironment::moveOwnWindowsOut(const QRectF& globalRect)
{
    // The toast shows wherever the pointer is, which during a capture is
    // often the region itself: move it to another corner of its screen.
    QWidget* toast = CaptureHUDController::shared().panel();
    const QRect region = globalRect.toAlignedRect();
    if (!toast || !toast->isVisible() || !toast->frameGeometry().intersects(region)) return false;
    const QRect area = toast->screen() ? toast->screen()->availableGeometry() : toast->frameGeometry();
    const int inset = CaptureHUDController::cornerInset;
    const QSize size = platform::innerGeometry(toast).size();  // the card, without its shadow
    const QPoint corners[] = {
        {area.right() + 1 - inset - size.width(), area.top() + inset},
        {area.left() + inset, area.top() + inset},
        {area.left() + inset, area.bottom() + 1 - inset - size.height()},
    };
    for (const QPoint& corner : corners) {
        if (platform::outerGeometry(toast, QRect(corner, size)).intersects(region)) continue;
        platform::moveInner(toast, corner);
        return true;
    }
    CaptureHUDController::shared().hideForCapture();
    return true;
}

void DesktopScrollEnvironment::toast(const QString& title, const QString& subtitle)
{
    CaptureHUDController::shared().show(title, subtitle, {}, {}, 2.2);
}

void DesktopScrollEnvironment::deliver(const QImage& image, const QString& noteSuffix, int inexactSeams)
{
    ScrollDelivery::deliver(image, noteSuffix, inexactSeams);
}

ScrollDelivery::Saved DesktopScrollEnvironment::saveNow(const QImage& image)
{
    return ScrollDelivery::saveNow(image, QuickCaptureOutput::Options::current());
}

void DesktopScrollEnvironment::notify(const QString& title, const QString& body)
{
    if (platform::DesktopNotifier* notifier = platform::services().notifier) notifier->postBeforeExit(title, body);
}

}  // namespace klipo
