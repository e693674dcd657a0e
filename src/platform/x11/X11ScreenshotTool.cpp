#include "platform/x11/X11ScreenshotTool.h"

#include "platform/MenusOffScreen.h"
#include "platform/QtScreenMetrics.h"
#include "platform/RegionGrab.h"
#include "platform/RegionPicker.h"
#include "platform/SerialQueue.h"
#include "platform/x11/X11ScreenGrabber.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace klipo::platform::x11 {

namespace {
// The longest wait for a closed menu to leave the screen.
}  // namespace

void X11ScreenshotTool::capture(const CaptureOptions& options, std::function<void(CaptureOutcome)> done)
{
    if (!isMainThread()) {
        runOnMain([this, options, done = std::move(done)]() mutable { capture(options, std::move(done)); });
        return;
    }
    if (options.interactive)
        pickRegion(options, std::move(done));
    else if (options.region)
        captureRegion(options, std::move(done));
    else
        captureScreen(options, std::move(done));
}

void X11ScreenshotTool::captureScreen(const CaptureOptions& options, std::function<void(CaptureOutcome)> done)
{
    const QList<QScreen*> all = QGuiApplication::screens();
    QScreen* screen = nullptr;
    int index = 1;
    if (options.displayIndex) {
        index = *options.displayIndex;
        screen = qtScreenAt(index);
        if (!screen) {
            deliverLater(std::move(done),
                         CaptureOutcome::failed(QStringLiteral("无法读取屏幕画面：没有第 %1 个显示器（当前共 %2 个）")
                                                    .arg(index)
                                                    .arg(all.size())));
            return;
        }
    } else {
        screen = QGuiApplication::primaryScreen();
        index = int(all.indexOf(screen)) + 1;
    }
    deliverLater(std::move(done), grabScreen(screen, index, options.includeCursor));
}

void X11ScreenshotTool::captureRegion(const CaptureOptions& options, std::function<void(CaptureOutcome)> done)
{
    const QRect region = *options.region;
    const QList<QScreen*> all = QGuiApplication::screens();
    QList<QRect> geometries;
    for (const QScreen* screen : all) geometries.append(screen->geometry());
    const QList<RegionPart> parts = regionParts(region, geometries);
    if (parts.isEmpty()) {
        deliverLater(std::move(done), CaptureOutcome::failed(QStringLiteral("这块区域不在任何屏幕上")));
        return;
    }
    // The densest screen it touches sets the picture's density.
    double scale = 0.0;
    for (const RegionPart& part : parts) scale = std::max(scale, all[part.screen]->devicePixelRatio());
    QList<RegionPiece> pieces;
    for (const RegionPart& part : parts) {
        QScreen* screen = all[part.screen];
        const QPoint offset = part.partPt.topLeft() - screen->geometry().topLeft();
        QImage piece =
            screen->grabWindow(0, offset.x(), offset.y(), part.partPt.width(), part.partPt.height()).toImage();
        if (piece.isNull())
            return deliverLater(std::move(done),
                                CaptureOutcome::failed(QStringLiteral("无法读取屏幕画面：X 服务器没有返回图像")));
        pieces.append({part.partPt, std::move(piece)});
    }
    QImage image = composeRegion(region, scale, pieces);
    if (image.isNull())
        return deliverLater(std::move(done), CaptureOutcome::failed(QStringLiteral("内存不足，无法拼出这块区域的画面")));
    const int first = parts.first().screen;
    deliverLater(std::move(done), CaptureOutcome::success(std::move(image), scale, screenInfo(all[first], first + 1)));
}

X11ScreenshotTool::X11ScreenshotTool()
{
    // Menus are noted as they close from now on.
    MenusOffScreen::watch();
}

void X11ScreenshotTool::pickRegion(const CaptureOptions& options, std::function<void(CaptureOutcome)> done)
{
    if (m_waitingForMenus || (m_picker && m_picker->isActive())) {
        deliverLater(std::move(done), CaptureOutcome::failed(QStringLiteral("已有一次截图正在进行，请先完成它")));
        return;
    }
    // The menu the command came from (the tray's) must not be frozen into the
    // picture: a compositing window manager fades it out after it closed.
    m_waitingForMenus = true;
    auto menus = std::make_shared<MenusOffScreen>(MenusOffScreen::closeAll());
    QPointer<X11ScreenshotTool> self(this);
    MenusOffScreen::whenGone(menus, QDeadlineTimer(MenusOffScreen::longestWaitMs), [self, options, done = std::move(done)]() mutable {
        if (!self) return;
        self->m_waitingForMenus = false;
        self->freezeAndPick(options, std::move(done));
    });
}

void X11ScreenshotTool::freezeAndPick(const CaptureOptions& options, std::function<void(CaptureOutcome)> done)
{
    QList<FrozenScreen> frozen;
    const QList<QScreen*> all = QGuiApplication::screens();
    for (int i = 0; i < all.size(); ++i) {
        CaptureOutcome grab = grabScreen(all[i], i + 1, options.includeCursor);
        if (!grab.ok()) {
            deliverLater(std::move(done), std::move(grab));
            return;
        }
        frozen.append({all[i], i + 1, std::move(grab.image)});
    }
    if (frozen.isEmpty()) {
        deliverLater(std::move(done), CaptureOutcome::failed(QStringLiteral("无法读取屏幕画面：没有可用的显示器")));
        return;
    }
    m_picker = new RegionPicker(std::move(frozen));
    m_picker->start(std::move(done));
}

}  // namespace klipo::platform::x11
