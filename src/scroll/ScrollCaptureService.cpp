#include "scroll/ScrollCaptureService.h"

#include "platform/ScreenChangeWatcher.h"
#include "platform/WheelScroller.h"
#include "scroll/DesktopScrollEnvironment.h"
#include "scroll/ScrollControlBarPanel.h"
#include "scroll/ScrollRegionWindow.h"
#include "scroll/ScrollSelfTestReport.h"
#include "scroll/ScrollStitchWorker.h"
#include "scroll/ScrollWheelPacer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include <cstring>

namespace klipo {

namespace {

const QString kPickHint = QStringLiteral("框住要滚动的内容区，别框住固定表头");

bool sameStill(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format()) return false;
    const qsizetype rowBytes = qsizetype(a.width()) * a.depth() / 8;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(rowBytes)) != 0) return false;
    return true;
}

QScreen* screenFor(const QRect& geometry)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->geometry() == geometry) return screen;
    if (QScreen* screen = QGuiApplication::screenAt(geometry.center())) return screen;
    return QGuiApplication::primaryScreen();
}

}  // namespace

ScrollCaptureService& ScrollCaptureService::shared()
{
    static auto* service = new ScrollCaptureService(std::make_unique<DesktopScrollEnvironment>(), Timing{});
    return *service;
}

void ScrollCaptureService::setRecordingBusy(std::function<bool()> busy)
{
    DesktopScrollEnvironment::setRecordingBusy(std::move(busy));
}

ScrollCaptureService::ScrollCaptureService(std::unique_ptr<ScrollCaptureEnvironment> environment, Timing timing,
                                           QObject* parent)
    : QObject(parent), m_env(std::move(environment)), m_timing(timing)
{
    // A still every 0.12 s means 8.3 a second: a coarse timer would give 7.9.
    m_captureTimer.setTimerType(Qt::PreciseTimer);
    m_captureTimer.setInterval(m_timing.captureMs);
    m_autoScrollTimer.setInterval(m_timing.autoScrollMs);
    connect(&m_captureTimer, &QTimer::timeout, this, &ScrollCaptureService::captureTick);
    connect(&m_autoScrollTimer, &QTimer::timeout, this, &ScrollCaptureService::autoScrollTick);
}

ScrollCaptureService::~ScrollCaptureService()
{
    if (state == ScrollState::capturing) cancelCapture();
    if (m_worker) m_worker->cancelStitch();
}

void ScrollCaptureService::toast(const QString& title, const QString& subtitle)
{
    // There is one toast: a second one at once would replace the first unseen.
    if (!m_toastClock.isValid()) m_toastClock.start();
    const qint64 now = m_toastClock.elapsed();
    const qint64 wait = std::max<qint64>(0, m_toastFreeAt - now);
    m_toastFreeAt = now + wait + m_timing.toastSpacingMs;
    if (wait == 0) {
        m_env->toast(title, subtitle);
        return;
    }
    QTimer::singleShot(int(wait), this, [this, title, subtitle] { m_env->toast(title, subtitle); });
}

// --- Starting ----------------------------------------------------------------

void ScrollCaptureService::toggle()
{
    switch (state) {
    case ScrollState::idle:
        beginFlow();
        break;
    case ScrollState::picking:
        m_env->closePick();
        break;
    case ScrollState::capturing:
        cancelCapture();
        break;
    case ScrollState::stitching:
        break;
    }
}

void ScrollCaptureService::beginFlow()
{
    if (state != ScrollState::idle) return;
    if (m_env->recordingBusy()) {
        toast(QStringLiteral("正在录屏"), QStringLiteral("请先停止录屏，再开始滚动长截图"));
        return;
    }
    // Told before the pick: the frames would have nowhere to wait.
    if (const std::optional<QString> problem = m_env->spoolUnavailable()) {
        toast(QStringLiteral("无法开始滚动长截图"), *problem);
        return;
    }
    if (!m_didCheckShortcutConflict) {
        m_didCheckShortcutConflict = true;
        // Shown once the pick is over: the overlay's still would take it away.
        m_pendingConflict = m_env->shortcutConflict();
    }
    state = ScrollState::picking;
    m_previousWindow = m_env->activeWindow();
    if (m_env->overlayActive()) {
        m_previousWindow.reset();
        state = ScrollState::idle;
        if (auto conflict = std::exchange(m_pendingConflict, std::nullopt))
            toast(QStringLiteral("滚动长截图快捷键可能失效"), *conflict);
        return;
    }
    QPointer<ScrollCaptureService> self(this);
    m_env->beginPick(kPickHint, [self](std::optional<ScrollTarget> target) {
        if (self) self->pickDone(std::move(target));
    });
}

void ScrollCaptureService::pickDone(std::optional<ScrollTarget> target)
{
    if (auto conflict = std::exchange(m_pendingConflict, std::nullopt))
        toast(QStringLiteral("滚动长截图快捷键可能失效"), *conflict);
    if (target) {
        startCapture(*target);
        return;
    }
    m_previousWindow.reset();
    if (state == ScrollState::picking) state = ScrollState::idle;
}

void ScrollCaptureService::startCapture(const ScrollTarget& target)
{
    if (state == ScrollState::capturing || state == ScrollState::stitching) return;
    // The content to be scrolled gets the focus back (the overlay had it).
    if (auto previous = std::exchange(m_previousWindow, std::nullopt)) m_env->activateWindow(*previous);

    // The bar goes next to the rectangle, or inside it when there is no room:
    // then the rows it covers are cut off every frame (our windows show in
    // every still on X11).
    const QRectF globalRect = target.globalRect();
    auto scroller = m_env->openScroller();
    auto* bar = new ScrollControlBarPanel(scroller != nullptr);
    const platform::PanelPlacement placement = bar->place(globalRect, screenFor(target.screenGeometry));
    const int storedCropTop = m_env->storedCropTop();
    const ScrollCaptureGeometry::FrameCrop crop =
        ScrollCaptureGeometry::frameCrop(target, storedCropTop, placement.coveredBottom);
    if (crop.tooSmall) {
        delete bar;
        m_previousWindow.reset();
        state = ScrollState::idle;
        toast(QStringLiteral("选区太小"), QStringLiteral("至少要 %1 像素高，当前 %2 像素，请重新框选")
                                              .arg(ScrollCaptureGeometry::minimumFrameRows + crop.bottom)
                                              .arg(crop.heightPx));
        return;
    }

    state = ScrollState::capturing;
    const quint64 generation = ++m_session;
    m_target = target;
    m_keptCount = m_inputCount = m_consecutiveDuplicates = m_consecutiveErrors = m_framesInWorker = 0;
    m_settleTicks = 0;
    m_looking = false;
    m_toldTooLow = false;
    m_counters = {};
    m_sinceNewFrame.start();

    if (!m_screenWatcher) {
        m_screenWatcher = new platform::ScreenChangeWatcher(this);
        connect(m_screenWatcher, &platform::ScreenChangeWatcher::changed, this,
                &ScrollCaptureService::screenParametersDidChange);
    }

    if (crop.topIgnored)
        toast(QStringLiteral("已忽略「裁除顶部固定区域」设置"),
              QStringLiteral("设置的高度（%1 点）超过了选区高度，本次不裁").arg(std::max(storedCropTop, 0)));

    m_config = standardStitchConfig(crop.top);
    m_config->cropBottom = crop.bottom;
    m_worker = std::make_unique<ScrollStitchWorker>(*m_config);
    m_pacer = std::make_unique<ScrollWheelPacer>(
        ScrollCaptureGeometry::toPixels(ScrollCaptureGeometry::autoStepPoints(target.rect.height(), storedCropTop),
                                        target.scale),
        crop.keptRows(), m_config->minOverlap);
    m_scroller = std::move(scroller);

    m_regionWindow = new ScrollRegionWindow(
        globalRect.adjusted(-frameMargin, -frameMargin, frameMargin, frameMargin).toAlignedRect());
    m_regionWindow->orderFront();

    QPointer<ScrollCaptureService> self(this);
    bar->onFinish = [self] {
        if (self) self->finishCapture();
    };
    bar->onCancel = [self] {
        if (self) self->cancelCapture();
    };
    bar->onToggleAuto = [self] {
        if (!self) return;
        if (self->m_autoScrolling)
            self->stopAutoScroll();
        else
            self->startAutoScroll();
    };
    m_controlBar = bar;
    bar->orderFront();

    qApp->installEventFilter(this);
    m_filteringKeys = true;

    QTimer::singleShot(m_timing.settleMs, this, [self, generation] {
        if (self) self->openFrameSource(1, generation);
    });
}

void ScrollCaptureService::openFrameSource(int attempt, quint64 generation)
{
    if (state != ScrollState::capturing || generation != m_session) return;
    QString error;
    m_source = m_env->openFrameSource(m_target.pixelRect(), &error);
    if (m_source) {
        if (m_timing.captureMs > 0) m_captureTimer.start();
        captureTick();
        return;
    }
    if (attempt < m_timing.lookupAttempts) {
        QPointer<ScrollCaptureService> self(this);
        QTimer::singleShot(m_timing.lookupRetryMs, this, [self, attempt, generation] {
            if (self) self->openFrameSource(attempt + 1, generation);
        });
        return;
    }
    if (ScrollSelfTestReport::isRunning())
        ScrollSelfTestReport::report(QStringLiteral("SCROLL_SELFTEST_DIAG no-display err=") + error);
    cancelCapture();
    toast(QStringLiteral("滚动长截图启动失败"), QStringLiteral("找不到目标显示器，请重试"));
}

// --- Capturing ---------------------------------------------------------------

void ScrollCaptureService::captureTick()
{
    if (state != ScrollState::capturing) return;
    if (m_sinceNewFrame.elapsed() > qint64(m_timing.stallSeconds) * 1000) {
        finishCapture(QStringLiteral("长时间没有新画面，已自动完成"));
        return;
    }
    if (m_inputCount >= maxInput) {
        finishCapture(QStringLiteral("帧数达到上限，已自动完成"));
        return;
    }
    if (!m_source || !m_worker) return;
    if (m_framesInWorker > maxFramesInWorker) {
        ++m_counters.skippedForBacklog;
        return;
    }
    // A window of ours that moved leaves the content underneath to repaint.
    if (m_env->moveOwnWindowsOut(m_target.globalRect(), {m_regionWindow, m_controlBar})) m_settleTicks = 2;
    if (m_settleTicks > 0) {
        --m_settleTicks;
        ++m_counters.skippedForWindows;
        return;
    }
    if (m_env->ownWindowsStillShown()) {
        ++m_counters.skippedForWindows;
        return;
    }

    if (m_looking) {
        ++m_counters.skippedWhileLooking;
        return;
    }
    m_looking = true;
    m_looks = 0;
    lookAtRegion(m_session);
}

// Without a compositor, a program under any window of ours repaints whenever
// it scrolls, and a grab can catch it halfway: a still counts as settled
// once two looks a little apart agree. One that never settles is still
// handed over, marked, and the stitcher keeps it only when the frames after
// it confirm it.
void ScrollCaptureService::lookAtRegion(quint64 generation)
{
    while (true) {
        if (state != ScrollState::capturing || generation != m_session || !m_source || !m_worker) {
            m_looking = false;
            m_lastLook = QImage();
            return;
        }
        QImage look;
        if (m_source->grab(look)) {
            m_looking = false;
            m_lastLook = QImage();
            handleFrameResult(ScrollFrameResult::failed(ScrollStitchError::frameProcessFailed(m_inputCount)),
                              m_pacer->notchesPosted(), false);
            return;
        }
        const bool settled = ++m_looks > 1 && sameStill(look, m_lastLook);
        if (settled || m_looks >= maxLooks) {
            m_looking = false;
            m_lastLook = QImage();
            handOver(std::move(look), settled);
            return;
        }
        m_lastLook = std::move(look);
        if (m_timing.lookAgainMs > 0) {
            QPointer<ScrollCaptureService> self(this);
            QTimer::singleShot(m_timing.lookAgainMs, Qt::PreciseTimer, this, [self, generation] {
                if (self) self->lookAtRegion(generation);
            });
            return;
        }
    }
}

void ScrollCaptureService::handOver(QImage still, bool settled)
{
    const int notches = m_pacer->notchesPosted();
    const std::optional<int> hint = m_pacer->takeStepHint();
    ++m_framesInWorker;
    ++m_counters.stills;
    if (!settled) ++m_counters.unsettledStills;
    QPointer<ScrollCaptureService> self(this);
    const quint64 generation = m_session;
    m_worker->process(std::move(still), hint, settled,
                      [self, generation, notches, carried = hint.has_value()](const ScrollFrameResult& result) {
                          if (!self || self->m_session != generation) return;
                          --self->m_framesInWorker;
                          if (self->state == ScrollState::capturing)
                              self->handleFrameResult(result, notches, carried);
                      });
}

bool ScrollCaptureService::reachedCanvasLimit(int canvasHeight) const
{
    if (canvasHeight >= maxCanvasRows) return true;
    // The frames still in the worker add theirs before the finish: stop while
    // they fit the memory the long image may take.
    const int rows = m_config ? m_target.pixelRect().height() - m_config->cropTop - m_config->cropBottom : 0;
    return canvasHeight + (maxFramesInWorker + 1) * rows > m_env->maxCanvasHeight(m_target.pixelRect().width());
}

void ScrollCaptureService::handleFrameResult(const ScrollFrameResult& result, int notchesAtGrab, bool carriedHint)
{
    switch (result.kind) {
    case ScrollFrameResult::Kind::appended:
        m_keptCount = result.kept;
        m_inputCount = result.input;
        m_consecutiveDuplicates = 0;
        m_consecutiveErrors = 0;
        m_sinceNewFrame.start();
        // Repeated rows and blank stretches are placed where the scrolling
        // moved them: no failure, automatic scrolling goes on over them.
        m_pacer->frameKept(notchesAtGrab, result.offset, result.exactSeam, carriedHint,
                           result.repeated || (result.blank && carriedHint));
        if (m_controlBar) m_controlBar->updateCount(m_keptCount);
        if (result.unmatched) tellIfTooLow();
        if (m_autoScrolling && (m_pacer->notchTooFar() || m_pacer->inexactScrollsInRow() >= 3)) {
            stopAutoScroll();
            toast(QStringLiteral("自动滚动已停止"),
                  m_pacer->notchTooFar() || result.unmatched
                      ? QStringLiteral("每次滚动的距离超出了可拼接的范围，请框选更高的区域或手动滚动")
                      : QStringLiteral("画面内容在滚动之外也在变化，无法精确对齐，请手动滚动"));
        }
        if (reachedCanvasLimit(result.canvasHeight)) finishCapture(QStringLiteral("长图高度达到上限，已自动完成"));
        return;
    case ScrollFrameResult::Kind::duplicate:
        m_inputCount = result.input;
        // A still left out while the content was still moving is no sign of its end.
        if (!result.moving) ++m_consecutiveDuplicates;
        m_consecutiveErrors = 0;
        m_pacer->frameNotKept(carriedHint);
        // The content stopped moving: its end has been reached.
        if (m_autoScrolling && m_consecutiveDuplicates >= duplicatesToStopAuto) stopAutoScroll();
        return;
    case ScrollFrameResult::Kind::failed:
        break;
    }
    m_pacer->frameNotKept(carriedHint);
    const ScrollStitchError error = result.error.value_or(ScrollStitchError::frameProcessFailed(m_inputCount));
    if (error.kind == ScrollStitchError::Kind::tooManyFrames) {
        finishCapture(QStringLiteral("帧数达到上限，已自动完成"));
        return;
    }
    if (ScrollSelfTestReport::isRunning())
        ScrollSelfTestReport::report(QStringLiteral("SCROLL_SELFTEST_DIAG frame-failed err=") +
                                     error.errorDescription());
    if (++m_consecutiveErrors < failuresToEnd) return;
    if (m_keptCount >= 1) {
        finishCapture(QStringLiteral("画面采集中断，已用现有内容完成"));
        return;
    }
    cancelCapture();
    toast(QStringLiteral("滚动长截图失败"), error.errorDescription());
}

// Two stills that shared nothing: the content moved further than a still
// can overlap. Where a single wheel notch may move it that far, the region is
// too low, and the user hears it now rather than from the finished image.
void ScrollCaptureService::tellIfTooLow()
{
    if (m_toldTooLow || !m_config) return;
    const int maxStep = m_target.pixelRect().height() - m_config->cropTop - m_config->cropBottom - m_config->minOverlap;
    if (maxStep >= ScrollCaptureGeometry::toPixels(ScrollCaptureGeometry::usualNotchPoints, m_target.scale)) return;
    m_toldTooLow = true;
    stopAutoScroll();
    toast(QStringLiteral("选区太矮"),
          QStringLiteral("滚轮滚一格就可能超出可拼接的范围（%1 像素），请框选更高的区域").arg(std::max(maxStep, 0)));
}

// --- Automatic scrolling -----------------------------------------------------

void ScrollCaptureService::startAutoScroll()
{
    if (state != ScrollState::capturing || m_autoScrolling || !m_scroller) return;
    m_autoScrolling = true;
    m_consecutiveDuplicates = 0;
    if (m_controlBar) m_controlBar->setAutoScrolling(true);
    if (m_timing.autoScrollMs > 0) m_autoScrollTimer.start();
}

void ScrollCaptureService::stopAutoScroll()
{
    m_autoScrolling = false;
    m_autoScrollTimer.stop();
    if (m_controlBar) m_controlBar->setAutoScrolling(false);
}

void ScrollCaptureService::autoScrollTick()
{
    if (state != ScrollState::capturing || !m_autoScrolling || !m_scroller) return;
    const int notches = m_pacer->notchesForTick();
    if (notches <= 0) {
        ++m_counters.autoTicksWaiting;
        if (!m_pacer->notchTooFar()) return;
        stopAutoScroll();
        toast(QStringLiteral("自动滚动已停止"),
              QStringLiteral("每次滚动的距离超出了可拼接的范围，请框选更高的区域或手动滚动"));
        return;
    }
    const QRect rectPx = m_target.pixelRect();
    if (!m_scroller->scroll(rectPx.center(), notches)) return;
    m_pacer->posted(notches);
    m_counters.notchesPosted += notches;
}

// --- Ending ------------------------------------------------------------------

void ScrollCaptureService::finishCapture(const QString& note)
{
    if (state != ScrollState::capturing || !m_worker) return;
    state = ScrollState::stitching;
    teardownCaptureChrome();
    if (m_keptCount >= keptForWaitToast)
        toast(QStringLiteral("正在拼接 %1 帧…").arg(m_keptCount), QStringLiteral("帧数较多，请稍候"));
    // Also with no frame kept yet: one may still be in the worker.
    QPointer<ScrollCaptureService> self(this);
    const quint64 generation = m_session;
    m_worker->finish([self, generation, note](ScrollStitchResult result) {
        if (!self || self->state != ScrollState::stitching || self->m_session != generation) return;
        self->stitchDidFinish(std::move(result), note);
    });
}

void ScrollCaptureService::stitchDidFinish(ScrollStitchResult result, const QString& note)
{
    m_worker.reset();
    stopObservingScreens();
    state = ScrollState::idle;
    if (const auto* output = std::get_if<ScrollStitchOutput>(&result)) {
        if (onStitchedForTest) onStitchedForTest(output);
        m_env->deliver(output->image, note, int(output->unalignedSeams.size()));
        return;
    }
    if (onStitchedForTest) onStitchedForTest(nullptr);
    const auto& error = std::get<ScrollStitchError>(result);
    if (error.kind == ScrollStitchError::Kind::noFrames)
        toast(QStringLiteral("未采集到画面"), QStringLiteral("滚动长截图已取消"));
    else
        toast(QStringLiteral("长截图拼接失败"), error.errorDescription());
}

void ScrollCaptureService::cancelCapture()
{
    if (state != ScrollState::capturing) return;
    ++m_session;
    teardownCaptureChrome();
    endWithoutImage();
}

void ScrollCaptureService::endWithoutImage()
{
    stopObservingScreens();
    if (m_worker) m_worker->cancelStitch();
    m_worker.reset();
    state = ScrollState::idle;
}

void ScrollCaptureService::finishForQuit()
{
    switch (state) {
    case ScrollState::idle:
        return;
    case ScrollState::picking:
        m_env->closePick();
        return;
    case ScrollState::capturing:
        if (m_keptCount < 1 && m_framesInWorker == 0) {
            cancelCapture();
            return;
        }
        state = ScrollState::stitching;
        teardownCaptureChrome();
        m_worker->finish(nullptr);
        break;
    case ScrollState::stitching:
        break;
    }
    // The completion would come through an event loop that is ending: wait
    // for the outcome here, for a bounded time.
    ++m_session;
    const std::optional<ScrollStitchResult> result =
        m_worker ? m_worker->waitForFinish(m_timing.quitWaitMs) : std::nullopt;
    m_worker.reset();
    stopObservingScreens();
    state = ScrollState::idle;
    if (!result) {
        m_env->notify(QStringLiteral("长截图未能保存"), QStringLiteral("退出时长截图没能及时拼接完成"));
        return;
    }
    if (const auto* output = std::get_if<ScrollStitchOutput>(&*result)) {
        const ScrollDelivery::Notice notice =
            ScrollDelivery::quitNotice(m_env->saveNow(output->image), int(output->unalignedSeams.size()));
        m_env->notify(notice.title, notice.body);
        return;
    }
    const auto& error = std::get<ScrollStitchError>(*result);
    if (error.kind != ScrollStitchError::Kind::noFrames)
        m_env->notify(QStringLiteral("长截图未能保存"), error.errorDescription());
}

void ScrollCaptureService::screenParametersDidChange()
{
    if (state != ScrollState::capturing) return;
    if (m_keptCount >= 1) {
        finishCapture(QStringLiteral("屏幕参数变化，已用现有内容完成"));
        return;
    }
    cancelCapture();
    toast(QStringLiteral("滚动长截图已取消"), QStringLiteral("屏幕参数发生变化，选区已失效"));
}

void ScrollCaptureService::teardownCaptureChrome()
{
    stopAutoScroll();
    m_captureTimer.stop();
    m_looking = false;
    m_lastLook = QImage();
    m_source.reset();
    m_scroller.reset();
    if (m_filteringKeys) {
        qApp->removeEventFilter(this);
        m_filteringKeys = false;
    }
    // Ordered out now, deleted later: a bar button may be what got us here.
    if (m_regionWindow) {
        m_regionWindow->hide();
        m_regionWindow->deleteLater();
    }
    if (m_controlBar) {
        m_controlBar->hide();
        m_controlBar->deleteLater();
    }
    m_regionWindow = nullptr;
    m_controlBar = nullptr;
    m_env->releaseOwnWindows();
}

void ScrollCaptureService::stopObservingScreens()
{
    if (!m_screenWatcher) return;
    m_screenWatcher->deleteLater();
    m_screenWatcher = nullptr;
}

bool ScrollCaptureService::eventFilter(QObject* watched, QEvent* event)
{
    // Keys reach us only while one of our windows is active.
    if (event->type() == QEvent::KeyPress && state == ScrollState::capturing) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Escape: cancelCapture(); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: finishCapture(); return true;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace klipo
