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
#include "preferences/ShortcutConflictChecker.h"
#include "scroll/ScrollStitcher.h"
#include "scroll/SpoolFolder.h"

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

std::optional<QString> DesktopScrollEnvironment::spoolUnavailable() { return stitch::spoolRootProblem(); }

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

bool DesktopScrollEnvironment::moveOwnWindowsOut(const QRectF& globalRect, const QList<QWidget*>& captureWindows)
{
    const QRect region = globalRect.toAlignedRect();
    CaptureHUDController& hud = CaptureHUDController::shared();
    QWidget* toast = hud.panel();
    const auto toastOver = [&] { return toast && toast->isVisible() && toast->frameGeometry().intersects(region); };
    const bool toastWasOver = toastOver();
    if (!m_keptOut) {
        QList<QPointer<QWidget>> staying{hud.panel()};
        for (QWidget* window : captureWindows) staying.append(window);
        m_keptOut = std::make_unique<platform::OwnWindowsKeptOut>(region, staying);
        // The toast, which shows where the pointer is (during a capture often
        // the region itself), goes to a corner clear of it from now on.
        m_keptOut->leaving(toast);
        hud.setKeepOut(region);
    }
    for (QWidget* window : captureWindows) m_keptOut->alsoStaying(window);
    const bool hidden = m_keptOut->check();
    // A toast with no clear corner on any screen stays off the screen.
    if (toastOver()) {
        m_keptOut->leaving(toast);
        hud.hideForCapture();
    }
    return hidden || toastWasOver;
}

bool DesktopScrollEnvironment::ownWindowsStillShown() { return m_keptOut && m_keptOut->stillShown(); }

DesktopScrollEnvironment::~DesktopScrollEnvironment() { releaseOwnWindows(); }

void DesktopScrollEnvironment::releaseOwnWindows()
{
    if (!m_keptOut) return;
    m_keptOut.reset();
    CaptureHUDController::shared().setKeepOut(std::nullopt);
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
