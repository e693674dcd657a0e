#include "recording/RecService.h"

#include "platform/PanelPlacement.h"
#include "platform/ScreenChangeWatcher.h"
#include "platform/WindowShadow.h"
#include "platform/media/MediaBackend.h"
#include "recording/RecBlinkDot.h"
#include "recording/RecControlBarPanel.h"
#include "recording/RecFiles.h"
#include "recording/RecMessages.h"
#include "recording/RecOptionsBarPanel.h"
#include "recording/RecRegionWindow.h"
#include "recording/RecSettings.h"
#include "recording/RecSystemPorts.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QScreen>

namespace klipo {

namespace {
constexpr int clockIntervalMs = 500;
// The frame runs this far outside the recorded rectangle.
constexpr int frameMargin = 3;
}  // namespace

RecService& RecService::shared()
{
    static RecService* service = new RecService(std::make_shared<RecSystemPorts>());
    return *service;
}

RecService::RecService(std::shared_ptr<RecPorts> ports, QObject* parent) : QObject(parent), m_ports(std::move(ports))
{
    m_timer.setInterval(clockIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RecService::tick);
}

RecService::~RecService()
{
    cleanupChrome();
    stopObservingScreenChanges();
    if (m_engine) discard(takeEngine());
}

void RecService::toggle()
{
    switch (state) {
    case RecState::idle: beginFlow(); break;
    case RecState::picking: m_ports->endPick(); break;
    case RecState::options: cancelFlow(); break;
    case RecState::recording: stopRecording(); break;
    case RecState::starting:
    case RecState::stopping: break;
    }
}

void RecService::beginFlow()
{
    if (scrollCaptureBusy && scrollCaptureBusy()) {
        m_ports->toast(QStringLiteral("滚动长截图进行中"), QStringLiteral("请先完成或取消滚动长截图，再开始录屏"));
        return;
    }
    state = RecState::picking;
    if (m_ports->overlayIsActive()) {
        state = RecState::idle;
        return;
    }
    m_toldNoRoom = false;
    platform::media::loadMediaBackendAhead();
    const quint64 flow = ++m_flow;
    QPointer<RecService> self(this);
    m_ports->beginPick([self, flow](std::optional<RecPick> pick) {
        if (self) self->pickFinished(flow, pick);
    });
}

void RecService::pickFinished(quint64 flow, const std::optional<RecPick>& pick)
{
    if (state != RecState::picking || flow != m_flow) return;
    if (!pick || !pick->screen) {
        state = RecState::idle;
        return;
    }
    showOptions(*pick);
}

QRectF RecService::globalRect() const
{
    return QRectF(m_screenGeometry.x() + m_rect.x(), m_screenGeometry.y() + m_screenGeometry.height() - m_rect.bottom(),
                  m_rect.width(), m_rect.height());
}

void RecService::showRegionWindow()
{
    const QRect framed = globalRect().adjusted(-frameMargin, -frameMargin, frameMargin, frameMargin).toAlignedRect();
    m_regionWindow = new RecRegionWindow(framed);
    m_regionWindow->orderFront();
}

void RecService::showOptions(const RecPick& pick)
{
    state = RecState::options;
    m_screen = pick.screen;
    m_screenGeometry = pick.screenGeometry;
    m_rect = pick.rect;
    startObservingScreenChanges();
    showRegionWindow();

    RecOptions initial;
    initial.format = Settings::recFormat();
    initial.fps = Settings::recFPS();
    initial.microphone = Settings::recMicrophone();
    m_optionsBar = new RecOptionsBarPanel(initial);
    QPointer<RecService> self(this);
    m_optionsBar->onStart = [self](RecOptions options) {
        if (self) self->startFromOptions(options);
    };
    m_optionsBar->onCancel = [self] {
        if (self) self->cancelFlow();
    };
    m_optionsBar->place(globalRect(), m_screen);
    m_optionsBar->showAndFocus(pick.focusBefore);
    keepOutOfRegion();
    qApp->installEventFilter(this);
    m_escFilterInstalled = true;
    // Said now rather than once recording: a toast then would be recorded.
    if (!stopBarHasRoom()) tellNoRoomForStopBar();
}

bool RecService::eventFilter(QObject* watched, QEvent* event)
{
    if (state == RecState::options && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancelFlow();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void RecService::startFromOptions(const RecOptions& options)
{
    if (state != RecState::options || !m_screen) return;
    Settings::storeRecOptions(options);
    startRecording(m_rect, m_screen, options);
}

void RecService::cancelFlow()
{
    if (state != RecState::options) return;
    cleanupChrome();
    stopObservingScreenChanges();
    m_screen = nullptr;
    state = RecState::idle;
}

void RecService::closeOptionsBar()
{
    if (m_optionsBar) {
        m_optionsBar->hide();
        // Later: this may run inside one of the bar's own buttons.
        m_optionsBar->deleteLater();
        m_optionsBar = nullptr;
    }
    if (m_escFilterInstalled) {
        qApp->removeEventFilter(this);
        m_escFilterInstalled = false;
    }
}

void RecService::keepOutOfRegion()
{
    m_keepingOut = true;
    m_ports->keepOutOfRegion(globalRect().toAlignedRect(), {m_regionWindow, m_optionsBar, m_controlBar});
}

void RecService::letRegionGo()
{
    if (!std::exchange(m_keepingOut, false)) return;
    m_ports->keepOutOfRegion(std::nullopt, {});
}

void RecService::cleanupChrome()
{
    // While the file is being finished our windows stay out of the region:
    // the last frames may still be taken.
    if (state != RecState::stopping) letRegionGo();
    closeOptionsBar();
    if (m_regionWindow) {
        m_regionWindow->hide();
        m_regionWindow->deleteLater();
        m_regionWindow = nullptr;
    }
    if (m_controlBar) {
        m_controlBar->dotView()->stopBlinking();
        m_controlBar->hide();
        m_controlBar->deleteLater();
        m_controlBar = nullptr;
    }
    m_timer.stop();
}

void RecService::startObservingScreenChanges()
{
    if (m_screenWatcher) return;
    m_screenWatcher = new platform::ScreenChangeWatcher(this);
    connect(m_screenWatcher, &platform::ScreenChangeWatcher::changed, this, &RecService::screenParametersDidChange);
}

void RecService::stopObservingScreenChanges()
{
    delete m_screenWatcher;
    m_screenWatcher = nullptr;
}

void RecService::startRecording(const QRectF& rect, QScreen* screen, const RecOptions& options)
{
    if ((state != RecState::idle && state != RecState::options) || !screen) return;
    if (state == RecState::idle) m_toldNoRoom = false;
    state = RecState::starting;
    m_screen = screen;
    m_screenGeometry = screen->geometry();
    m_rect = rect;
    m_format = options.format;
    m_microphoneTold = false;
    startObservingScreenChanges();
    if (!m_regionWindow) showRegionWindow();
    keepOutOfRegion();
    if (m_optionsBar) m_ports->leavingRegion(m_optionsBar);
    closeOptionsBar();
    const quint64 flow = ++m_flow;
    QPointer<RecService> self(this);
    // The first picture shows the region as it is: without the windows of
    // ours that left it, which the programs below may not have repainted yet.
    m_ports->whenRegionClear([self, flow, options] {
        if (self && flow == self->m_flow && self->state == RecState::starting) self->resolveAndLaunch(options);
    });
}

void RecService::resolveAndLaunch(const RecOptions& options)
{
    const quint64 flow = m_flow;
    QPointer<RecService> self(this);
    resolveMicrophone(options, [self, flow](RecOptions resolved) {
        if (!self || flow != self->m_flow) return;
        // A recording never starts while leftovers of an earlier run are
        // being moved: its new file would look like one of them.
        if (self->m_recovering)
            self->m_afterRecovery = [self, flow, resolved] {
                if (self && flow == self->m_flow) self->launchEngine(resolved);
            };
        else
            self->launchEngine(resolved);
    });
}

void RecService::resolveMicrophone(const RecOptions& options, std::function<void(RecOptions)> completion)
{
    if (!options.microphone) {
        completion(options);
        return;
    }
    QPointer<RecService> self(this);
    m_ports->checkMicrophone([self, options, completion](std::optional<QString> reason) {
        if (!self) return;
        RecOptions resolved = options;
        if (reason) {
            const RecMessages::Message message = RecMessages::microphoneUnavailable(*reason);
            self->m_ports->toast(message.title, message.text);
            self->m_microphoneTold = true;
            resolved.microphone = false;
        }
        completion(resolved);
    });
}

void RecService::launchEngine(const RecOptions& options)
{
    if (state != RecState::starting || !m_screen) return;
    RecTarget target;
    target.screenGeometry = m_screenGeometry;
    target.scale = m_screen->devicePixelRatio();
    target.rect = m_rect;
    const QString folder = m_ports->recordingFolder();
    const std::optional<QString> tempPath = RecFiles::createTempFile(folder, options.format);
    const quint64 serial = ++m_engineSerial;
    if (!tempPath) {
        startFailed(serial, QStringLiteral("无法创建录屏文件：") + RecFiles::folderProblem(folder));
        return;
    }
    m_options = options;
    m_engine = m_ports->makeRecorder(target, options, *tempPath);
    QPointer<RecService> self(this);
    m_engine->setOnRuntimeError([self, serial](const QString& message) {
        if (self) self->runtimeError(serial, message);
    });
    // The start may take a moment (a microphone waking up): the bar says so
    // at once.
    showControlBar(true);
    m_engine->startAsync([self, serial](std::optional<QString> failure) {
        if (!self) return;
        if (failure)
            self->startFailed(serial, *failure);
        else
            self->recordingDidStart(serial);
    });
}

void RecService::runtimeError(quint64 serial, const QString& message)
{
    if (serial != m_engineSerial || !m_engine) return;
    if (state == RecState::starting)
        startFailed(serial, message);
    else if (state == RecState::recording)
        stopRecording(QStringLiteral("录制中断：") + message);
}

bool RecService::stopBarHasRoom() const
{
    if (!m_screen) return false;
    RecControlBarPanel probe;
    return platform::placePanel(platform::innerGeometry(&probe).size(), globalRect(), m_screen->availableGeometry(),
                                false)
               .side != platform::PanelSide::noRoom;
}

void RecService::tellNoRoomForStopBar()
{
    if (m_toldNoRoom) return;
    m_toldNoRoom = true;
    const RecMessages::Message message = RecMessages::noRoomForStopBar(m_ports->stopShortcutText());
    m_ports->toast(message.title, message.text);
}

void RecService::recordingDidStart(quint64 serial)
{
    // A stale engine was taken out and stopped by whoever dropped it.
    if (serial != m_engineSerial || !m_engine) return;
    if (state != RecState::starting || !m_screen) {
        discard(takeEngine());
        return;
    }
    state = RecState::recording;
    m_startedAt = m_ports->monotonicSeconds();
    m_lastSaved.reset();

    showControlBar(false);
    m_timer.start();

    if (m_options.microphone && !m_microphoneTold)
        if (const std::optional<QString> reason = m_engine->microphoneError()) {
            const RecMessages::Message message = RecMessages::microphoneUnavailable(*reason);
            m_ports->toast(message.title, message.text);
        }
    if (onRecordingStateChanged) onRecordingStateChanged(true);
}

void RecService::showControlBar(bool starting)
{
    if (!m_controlBar && m_screen) {
        m_controlBar = new RecControlBarPanel;
        m_controlBar->setStarting(starting);  // named and sized before it shows
        QPointer<RecService> self(this);
        m_controlBar->onStop = [self] {
            if (self) self->stopFromBar();
        };
        // Never inside the rectangle: the bar would be recorded. With no room
        // around it the bar stays hidden; the tray and the hot key still stop.
        if (m_controlBar->place(globalRect(), m_screen).side == platform::PanelSide::noRoom)
            tellNoRoomForStopBar();
        else
            m_controlBar->orderFront();
        keepOutOfRegion();
    }
    if (m_controlBar) m_controlBar->setStarting(starting);
}

void RecService::stopFromBar()
{
    if (state == RecState::starting)
        cancelStart();
    else
        stopRecording();
}

void RecService::cancelStart()
{
    if (state != RecState::starting) return;
    ++m_flow;  // a pending step of the start is stale now
    if (m_engine) discard(takeEngine());
    cleanupChrome();
    stopObservingScreenChanges();
    m_screen = nullptr;
    state = RecState::idle;
    if (onSavedForTest) onSavedForTest(std::nullopt);
}

void RecService::tick()
{
    if (state != RecState::recording || !m_startedAt || !m_controlBar) return;
    m_controlBar->setElapsed(m_ports->monotonicSeconds() - *m_startedAt);
}

void RecService::startFailed(quint64 serial, const QString& message)
{
    // Only the attempt under way: a late failure of an engine given up
    // before must not end a newer flow.
    if (state != RecState::starting || serial != m_engineSerial) return;
    if (m_engine) discard(takeEngine());
    cleanupChrome();
    stopObservingScreenChanges();
    m_screen = nullptr;
    state = RecState::idle;
    m_ports->toast(QStringLiteral("录屏启动失败"), message);
    if (onSavedForTest) onSavedForTest(std::nullopt);
}

std::shared_ptr<RecRecorder> RecService::takeEngine()
{
    std::shared_ptr<RecRecorder> engine = std::move(m_engine);
    m_engine.reset();
    return engine;
}

void RecService::discard(std::shared_ptr<RecRecorder> engine)
{
    if (!engine) return;
    // The engine lives until its stop is done (dropping it earlier would wait
    // for the stop on the main thread); a file it kept is not wanted.
    std::shared_ptr<RecRecorder> keep = engine;
    engine->stopAsync([keep](RecStopResult result) {
        if (result.file) QFile::remove(*result.file);
    });
}

}  // namespace klipo
