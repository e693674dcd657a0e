#include "overlay/SelOverlayController.h"

#include "app/CaptureHUDController.h"
#include "app/PrefsCaptureRunner.h"
#include "app/Settings.h"
#include "overlay/SelEditingChrome.h"
#include "overlay/SelKeys.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "overlay/SelScreenSpace.h"
#include "overlay/SelWindowFilter.h"
#include "platform/CapturePermission.h"
#include "platform/PlatformServices.h"
#include "platform/StackKeeper.h"
#include "platform/overlay/OverlayDesktop.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <utility>

namespace klipo {

namespace {
constexpr double kToastSeconds = 2.2;
// How often the active window is read while the overlay is up, and how long
// our own windows take to settle after it came up.
constexpr int kFocusPollMs = 100;
constexpr qint64 kFocusSettleMs = 500;

void toast(const QString& title, const QString& subtitle, const QImage& thumbnail = {})
{
    CaptureHUDController::shared().show(title, subtitle, thumbnail, QString(), kToastSeconds);
}
}  // namespace

SelOverlayController& SelOverlayController::shared()
{
    static auto* controller = new SelOverlayController(platform::overlayDesktop());
    return *controller;
}

SelOverlayController::SelOverlayController(platform::OverlayDesktop& desktop, QObject* parent)
    : QObject(parent), m_desktop(desktop)
{
    m_focusWatch.setInterval(kFocusPollMs);
    connect(&m_focusWatch, &QTimer::timeout, this, &SelOverlayController::checkActiveWindow);
}

SelOverlayController::~SelOverlayController()
{
    stopObserving();
    for (const auto& window : std::as_const(m_windows)) delete window.data();
}

QList<SelOverlayWindow*> SelOverlayController::windows() const
{
    QList<SelOverlayWindow*> list;
    for (const auto& w : m_windows)
        if (w) list.append(w.data());
    return list;
}

void SelOverlayController::refuse(SelRequest& request)
{
    // Each completion exactly once, and only the new caller's.
    if (auto done = std::move(request.pickImageCompletion)) done(std::nullopt);
    if (auto done = std::move(request.pickRectCompletion)) done(std::nullopt);
}

void SelOverlayController::begin(SelRequest request)
{
    if (m_session.isActive()) {
        refuse(request);
        return;
    }
    if (m_scrollBusy && m_scrollBusy()) {
        refuse(request);
        toast(QStringLiteral("滚动长截图进行中"), QStringLiteral("请先完成或取消滚动长截图，再使用其他截图功能"));
        return;
    }
    platform::CapturePermission* permission = platform::services().permission;
    if (permission && !permission->canCapture()) {
        permission->request();
        refuse(request);
        toast(QStringLiteral("无法截图"), permission->reason());
        return;
    }
    const quint64 generation = m_session.start(std::move(request));
    m_previousWindow = m_desktop.activeWindow();
    m_stackBefore = platform::managedWindowsBottomToTop();
    m_pickablePx = SelWindowFilter::pickable(m_desktop.windowsFrontToBack(), m_desktop.ownProcessId(),
                                             [this](const QPoint& p) { return pixelsPerPointAt(p); });
    m_painted.clear();
    // X11 cannot keep our own toast out of the still.
    CaptureHUDController::shared().hideForCapture();
    QPointer<SelOverlayController> self(this);
    m_desktop.freezeScreens(Settings::captureIncludeCursor(), [self, generation](platform::FreezeOutcome outcome) {
        if (self) self->freezeDone(generation, outcome);
    });
}

void SelOverlayController::freezeDone(quint64 generation, const platform::FreezeOutcome& outcome)
{
    // A freeze for a session that ended, or that already shows its windows, is dropped.
    if (!m_session.isCurrent(generation) || !windows().isEmpty()) return;
    if (!outcome.ok()) {
        cancel();
        toast(QStringLiteral("截图失败"), QStringLiteral("无法冻结屏幕画面，请重试"));
        return;
    }
    present(outcome.screens);
}

double SelOverlayController::pixelsPerPointAt(const QPoint& nativePx) const
{
    for (QScreen* screen : QGuiApplication::screens()) {
        const QSize pixels = screen->geometry().size() * screen->devicePixelRatio();
        const SelScreenSpace space = SelScreenSpace::forScreen(screen, pixels);
        if (space.nativeRectPx().contains(nativePx)) return space.scaleX();
    }
    return 1.0;
}

void SelOverlayController::present(const QList<platform::FrozenScreen>& frozen)
{
    SelOverlayWindow* underPointer = nullptr;
    const QPoint pointer = QCursor::pos();
    for (const platform::FrozenScreen& f : frozen) {
        auto* window = new SelOverlayWindow(f, *this);
        m_windows.append(window);
        window->show();
        window->raise();
        if (!underPointer && window->geometry().contains(pointer)) underPointer = window;
    }
    if (!underPointer) underPointer = windows().value(0);
    if (!underPointer) {
        cancel();
        return;
    }
    underPointer->activateWindow();
    underPointer->overlayView()->setFocus(Qt::ActiveWindowFocusReason);

    const platform::InputGrabOutcome grab = m_desktop.grabInput(underPointer->windowHandle());
    if (!grab.ok) {
        // Without the keyboard and the pointer the user could not leave the overlay.
        cancel();
        toast(QStringLiteral("无法开始截图"), grab.message);
        return;
    }
    m_inputGrabbed = true;
    observeDesktop();
}

void SelOverlayController::observeDesktop()
{
    const auto screensChanged = [this] {
        if (isActive()) cancel();
    };
    m_observers << connect(qGuiApp, &QGuiApplication::screenAdded, this, screensChanged);
    m_observers << connect(qGuiApp, &QGuiApplication::screenRemoved, this, screensChanged);
    for (QScreen* screen : QGuiApplication::screens())
        m_observers << connect(screen, &QScreen::geometryChanged, this, screensChanged);
    for (SelOverlayWindow* window : windows())
        if (QWindow* handle = window->windowHandle()) handle->installEventFilter(this);
    m_lastActive = m_desktop.activeWindow();
    m_shownAt.start();
    m_focusWatch.start();
}

void SelOverlayController::checkActiveWindow()
{
    // Another program taking the focus ends the overlay. Only the window
    // manager's active window tells: Qt's focus also moves when the freeze
    // hides and shows our own windows, when a menu of ours closes and when the
    // overlay takes the focus from one of our windows. Changes in the first
    // moments still echo those moves (the window manager handing the focus
    // to the next window while ours were hidden): they are only noted.
    if (!isActive()) return;
    const std::optional<platform::NativeWindowId> active = m_desktop.activeWindow();
    if (active == m_lastActive) return;
    m_lastActive = active;
    if (!active || m_desktop.isOwnWindow(*active) || m_shownAt.elapsed() < kFocusSettleMs) return;
    cancel();
}

void SelOverlayController::stopObserving()
{
    for (const auto& c : std::as_const(m_observers)) disconnect(c);
    m_observers.clear();
    m_focusWatch.stop();
}

void SelOverlayController::finish(std::optional<QImage> image, std::optional<SelPickedRect> rect, bool restoreFocus)
{
    auto owed = m_session.end();
    if (!owed) return;
    if (m_activeView) m_activeView->teardownInlineTranslation();
    m_activeView = nullptr;
    m_pickablePx.clear();
    stopObserving();
    if (m_inputGrabbed) {
        m_desktop.releaseInput();
        m_inputGrabbed = false;
    }
    // The focus goes back while the overlay still holds it: once the overlay
    // has gone, mutter hands it to a window of ours and raises that.
    if (restoreFocus && m_previousWindow) m_desktop.activateWindow(*m_previousWindow);
    platform::keepOwnStacking(std::exchange(m_stackBefore, {}), m_previousWindow);
    // Off the screen at once; deleted later, as the event that got here may
    // still be running inside one of them. A picked rectangle is captured
    // from the screen next: where the programs below have yet to repaint,
    // it is left showing the still, not the overlay's dimming and frame.
    for (const auto& window : std::as_const(m_windows)) {
        if (!window) continue;
        if (rect && window->overlayView()) window->overlayView()->showBareStill();
        window->hide();
        window->deleteLater();
    }
    m_windows.clear();
    m_painted.clear();
    m_previousWindow.reset();
    Q_EMIT finished();
    if (owed->pickImage) owed->pickImage(std::move(image));
    if (owed->pickRect) owed->pickRect(std::move(rect));
}

void SelOverlayController::viewPainted(SelOverlayView* view)
{
    if (!isActive() || m_painted.contains(view)) return;
    m_painted.append(view);
    if (m_painted.size() == windows().size()) Q_EMIT overlaysPainted();
}

void SelOverlayController::commitSelection(const QRectF& rect, SelOverlayView* view)
{
    if (!isActive() || phase() != SelPhase::selecting || !view) return;
    if (rect.width() < 4 || rect.height() < 4) return;
    SelOverlayWindow* window = view->overlayWindow();
    switch (m_session.request().mode) {
    case SelRequest::Mode::pickRect:
        if (window && window->sourceScreen())
            finish(std::nullopt, SelPickedRect{window->sourceScreen(), window->screenFrame(), rect}, false);
        else
            cancel();
        return;
    case SelRequest::Mode::pickImage: {
        const QImage crop = croppedImage(rect, view, false);
        if (crop.isNull()) {
            cancel();
            toast(QStringLiteral("截图失败"), QStringLiteral("选区裁剪失败，请重试"));
        } else {
            finish(crop, std::nullopt, false);
        }
        return;
    }
    case SelRequest::Mode::edit: break;
    }
    m_session.setPhase(SelPhase::editing);
    m_activeView = view;
    for (SelOverlayWindow* other : windows())
        if (other->overlayView() != view) other->overlayView()->clearSelectingState();
    view->enterEditing(rect);
    if (window) {
        window->raise();
        window->activateWindow();
    }
    view->setFocus(Qt::OtherFocusReason);
}

void SelOverlayController::perform(SelAction action, const QRectF& rect, SelOverlayView* view)
{
    if (!isActive() || !view) return;
    switch (action) {
    case SelAction::translate: view->startInlineTranslation(); return;
    case SelAction::cancel: cancel(); return;
    case SelAction::pin:
    case SelAction::copy:
    case SelAction::save: break;
    }
    QImage image = view->composedAnnotatedImage();
    image = image.isNull() ? croppedImage(rect, view, true) : downscaledIfNeeded(image, view, true);
    if (image.isNull()) {
        // Nothing is lost: the selection stays for another try.
        view->showFailure(QStringLiteral("选区裁剪失败，请重试"));
        return;
    }
    cancel();
    deliver(action, image);
}

void SelOverlayController::performTranslated(SelAction action, const QImage& composite, SelOverlayView* view)
{
    if (!isActive() || !view || composite.isNull()) return;
    const QImage image = downscaledIfNeeded(composite, view, true);
    cancel();
    switch (action) {
    case SelAction::pin:
        if (m_outputs) m_outputs->pinImage(image);
        break;
    case SelAction::copy: copyOnly(image, false); break;
    // The translation was recorded when it finished: no second record.
    case SelAction::save:
        if (m_outputs) m_outputs->saveImage(image, false);
        break;
    case SelAction::translate:
    case SelAction::cancel: break;
    }
}

void SelOverlayController::deliver(SelAction action, const QImage& image)
{
    switch (action) {
    case SelAction::pin:
        if (m_outputs && image.width() >= 1 && image.height() >= 1) m_outputs->pinImage(image);
        break;
    case SelAction::copy: copyOnly(image, true); break;
    case SelAction::save:
        if (m_outputs) m_outputs->saveImage(image, true);
        break;
    case SelAction::translate:
    case SelAction::cancel: break;
    }
}

void SelOverlayController::copyOnly(const QImage& image, bool saveToHistory)
{
    const bool copied = !image.isNull() && m_outputs && m_outputs->copyImage(image);
    if (Settings::plainCaptureShowHUD()) {
        if (copied)
            toast(QStringLiteral("截图已复制到剪贴板"), QStringLiteral("未保存到文件夹"), image);
        else
            toast(QStringLiteral("复制失败"), QStringLiteral("请重试"));
    }
    if (copied && saveToHistory && Settings::saveHistory()) m_outputs->recordCopy(image);
}

QImage SelOverlayController::croppedImage(const QRectF& localRect, const SelOverlayView* view,
                                          bool allowDownscale) const
{
    const SelOverlayWindow* window = view ? view->overlayWindow() : nullptr;
    if (!window || !window->space().isValid()) return {};
    const QRect pixels = window->space().cropRectPx(localRect);
    if (pixels.isEmpty()) return {};
    QImage crop = window->frozenImage().copy(pixels);
    if (crop.isNull()) return {};
    crop.setDevicePixelRatio(1.0);
    return downscaledIfNeeded(crop, view, allowDownscale);
}

QImage SelOverlayController::downscaledIfNeeded(const QImage& image, const SelOverlayView* view,
                                                bool allowDownscale) const
{
    const SelOverlayWindow* window = view ? view->overlayWindow() : nullptr;
    if (!allowDownscale || !window || !Settings::captureScaleRetinaTo1x() || !window->space().isHighDensity())
        return image;
    return PrefsCaptureRunner::downscale(image, window->space().scaleX());
}

void SelOverlayController::switchToQuickFunction(const std::function<void()>& function)
{
    if (!isActive() || isPickMode()) return;
    cancel();
    if (function) QTimer::singleShot(0, qApp, function);
}

SelOverlayView* SelOverlayController::viewOf(QObject* object) const
{
    for (SelOverlayWindow* window : windows())
        if (object == window->windowHandle()) return window->overlayView();
    return nullptr;
}

bool SelOverlayController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && isActive() && viewOf(watched))
        return handleKey(static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

bool SelOverlayController::handleKey(QKeyEvent* event)
{
    SelOverlayView* view = m_activeView;
    SelKeys::Context context;
    context.active = isActive();
    context.phase = phase();
    context.editingText = view && view->chrome() && view->chrome()->canvasEditingText();
    const SelKeys::Decision decision = SelKeys::monitor(context, event->key(), event->modifiers());
    switch (decision.command) {
    case SelKeys::Command::escape:
        if (!view || !view->handleEscapeStep()) cancel();
        return true;
    case SelKeys::Command::selectAllText: return view && view->selectAllText();
    case SelKeys::Command::copySelectedText: return view && view->copySelectedText();
    case SelKeys::Command::undo:
        if (view) view->undo();
        return true;
    case SelKeys::Command::redo:
        if (view) view->redo();
        return true;
    case SelKeys::Command::nudge:
        if (view) view->nudgeSelection(decision.step);
        return true;
    case SelKeys::Command::primaryAction:
        if (view) view->performPrimaryAction();
        return true;
    default: return false;
    }
}

}  // namespace klipo
